#include "MemoryDevice.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr uint32_t kRemovableMedia = 11;
// A failed read leaves this in the destination, as a real one may leave
// anything: a caller that takes it for data shows up at once.
constexpr uint8_t kFailedReadFill = 0xEE;

// A query's answer: the failure the medium was given, or its value.
template <typename T>
bool Answer(uint32_t failure, const T& value, T& answer, uint32_t& error) {
  if (failure != 0) {
    error = failure;
    return false;
  }
  answer = value;
  return true;
}

}  // namespace

MemoryMedium::MemoryMedium(std::vector<uint8_t> image, uint32_t bytesPerSector)
    : bytes(std::move(image)), sectorSize(bytesPerSector) {
  geometry = SynthesisedGeometry(bytes.size(), sectorSize, kRemovableMedia);
}

void MemoryMedium::BehaveAsFile() {
  geometryError = kErrorInvalidFunction;
  layoutError = kErrorInvalidFunction;
  storageError = kErrorInvalidFunction;
}

void MemoryMedium::FailSector(uint64_t sector, uint32_t error) { faults_[sector] = Fault{error, kAlways, false}; }

void MemoryMedium::FailSectorFirst(uint64_t sector, uint32_t attempts, uint32_t error) {
  faults_[sector] = Fault{error, attempts, false};
}

void MemoryMedium::ShortReadAt(uint64_t sector) { faults_[sector] = Fault{0, 0, true}; }

uint64_t MemoryMedium::ModelledCost(uint32_t requestBytes) const {
  uint64_t transfer = bytesPerSecond == 0 ? 0 : static_cast<uint64_t>(requestBytes) * 1000000u / bytesPerSecond;
  return latencyMicroseconds + transfer;
}

void MemoryMedium::Wait(uint64_t microseconds) {
  // Sleeping alone overshoots by tens of microseconds, a tenth of a request's
  // latency; the last stretch is spun.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
  auto sleepUntil = deadline - std::chrono::microseconds(200);
  if (std::chrono::steady_clock::now() < sleepUntil) std::this_thread::sleep_until(sleepUntil);
  while (std::chrono::steady_clock::now() < deadline) {
  }
}

bool MemoryMedium::ReadAt(uint64_t offset, uint8_t* destination, uint32_t count, uint32_t& delivered,
                          uint32_t& error) {
  ++counters.readRequests;
  counters.bytesRequested += count;
  counters.lastOffset = offset;
  counters.lastBytes = count;
  uint64_t cost = ModelledCost(count);
  counters.modelledMicroseconds += cost;
  if (waitForModelledTime) Wait(cost);

  uint64_t size = bytes.size();
  uint64_t end = offset < size ? std::min<uint64_t>(size, offset + count) : offset;
  // Faults in sector order: the first one reached decides.
  if (end > offset && sectorSize != 0) {
    uint64_t lastSector = (end - 1) / sectorSize;
    for (auto it = faults_.lower_bound(offset / sectorSize); it != faults_.end() && it->first <= lastSector; ++it) {
      Fault& fault = it->second;
      if (fault.shortRead) {
        end = std::max(offset, it->first * sectorSize);
        break;
      }
      if (fault.remaining == 0) continue;
      if (fault.remaining != kAlways) --fault.remaining;
      std::memset(destination, kFailedReadFill, count);
      error = fault.error;
      return false;
    }
  }
  delivered = static_cast<uint32_t>(end - offset);
  if (delivered > 0) std::memcpy(destination, bytes.data() + offset, delivered);
  counters.bytesDelivered += delivered;
  return true;
}

MemoryDevice::MemoryDevice(std::shared_ptr<MemoryMedium> medium) : medium_(std::move(medium)) {}

bool MemoryDevice::Ready(uint32_t& error) const {
  if (!medium_->notReady) return true;
  error = kErrorNotReady;
  return false;
}

bool MemoryDevice::QueryGeometry(DiskGeometry& geometry, uint32_t& error) {
  return Ready(error) && Answer(medium_->geometryError, medium_->geometry, geometry, error);
}

bool MemoryDevice::QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) {
  return Ready(error) && Answer(medium_->layoutError, medium_->partitions, entries, error);
}

// A reader without a card still describes itself.
bool MemoryDevice::QueryStorage(StorageDescriptor& descriptor, uint32_t& error) {
  return Answer(medium_->storageError, medium_->storage, descriptor, error);
}

bool MemoryDevice::Seek(uint64_t offset, uint32_t& error) {
  if (medium_->seekError != 0) {
    error = medium_->seekError;
    return false;
  }
  position_ = offset;
  return true;
}

bool MemoryDevice::Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) {
  if (!Ready(error)) return false;
  uint32_t got = 0;
  if (!medium_->ReadAt(position_, static_cast<uint8_t*>(destination), bytes, got, error)) return false;
  position_ += got;
  delivered = got;
  return true;
}

bool MemoryDevice::FileSize(uint64_t& size, uint32_t&) {
  size = medium_->bytes.size();
  return true;
}

std::shared_ptr<MemoryMedium> MemoryDeviceOpener::Add(const std::string& path, std::vector<uint8_t> image,
                                                      uint32_t sectorSize) {
  auto medium = std::make_shared<MemoryMedium>(std::move(image), sectorSize);
  media_[path] = medium;
  return medium;
}

std::unique_ptr<Device> MemoryDeviceOpener::Open(const std::string& path, DeviceAccess access, uint32_t& error) {
  auto found = media_.find(path);
  if (found == media_.end()) {
    error = kErrorFileNotFound;
    return nullptr;
  }
  MemoryMedium& medium = *found->second;
  bool denied = access == DeviceAccess::kReadWrite ? medium.denyReadWrite : medium.denyReadOnly;
  if (medium.openError != 0 || denied) {
    error = medium.openError != 0 ? medium.openError : kErrorAccessDenied;
    return nullptr;
  }
  ++medium.counters.opens;
  return std::make_unique<MemoryDevice>(found->second);
}

uint32_t MemoryDeviceOpener::SetErrorMode(uint32_t mode) {
  uint32_t previous = errorMode;
  errorMode = mode;
  return previous;
}
