#include "ReadAheadDevice.h"

#include <algorithm>
#include <cstring>

ReadAheadDevice::ReadAheadDevice(std::unique_ptr<Device> inner) : inner_(std::move(inner)) {
  // Blocks stop at the end of the data, so that the last one is not refused
  // by a device that fails reads past its end.
  uint32_t ignored = 0;
  sizeKnown_ = inner_->FileSize(size_, ignored);
}

bool ReadAheadDevice::QueryGeometry(DiskGeometry& geometry, uint32_t& error) {
  return inner_->QueryGeometry(geometry, error);
}

bool ReadAheadDevice::QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) {
  return inner_->QueryLayout(entries, error);
}

bool ReadAheadDevice::QueryStorage(StorageDescriptor& descriptor, uint32_t& error) {
  return inner_->QueryStorage(descriptor, error);
}

bool ReadAheadDevice::FileSize(uint64_t& size, uint32_t& error) { return inner_->FileSize(size, error); }

// The device itself is moved only before it is read, so a request served
// from the block costs no call to it; a seek error then comes with the read.
bool ReadAheadDevice::Seek(uint64_t offset, uint32_t&) {
  position_ = offset;
  return true;
}

bool ReadAheadDevice::Holds(uint64_t start, uint64_t end) const {
  return blockValid_ > 0 && start >= blockStart_ && end <= blockStart_ + blockValid_;
}

bool ReadAheadDevice::Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) {
  uint8_t* out = static_cast<uint8_t*>(destination);
  uint64_t start = position_;
  uint64_t end = start + bytes;
  bool sequential = start == sequentialNext_;
  sequentialNext_ = end;

  if (bytes > 0 && Holds(start, end)) {
    std::memcpy(out, block_.data() + (start - blockStart_), bytes);
  } else if (!(sequential && bytes > 0 && bytes <= kBlockBytes && ReadThroughBlocks(start, bytes, out))) {
    // Exactly the request, at its own offset.
    uint32_t got = 0;
    if (!inner_->Seek(start, error) || !inner_->Read(destination, bytes, got, error)) return false;
    position_ = start + got;
    delivered = got;
    return true;
  }
  position_ = end;
  delivered = bytes;
  return true;
}

// A request of at most one block spans at most two blocks.
bool ReadAheadDevice::ReadThroughBlocks(uint64_t start, uint32_t bytes, uint8_t* destination) {
  uint64_t at = start;
  uint64_t end = start + bytes;
  while (at < end) {
    if (!Holds(at, at + 1) && !(FillBlock(at / kBlockBytes * kBlockBytes) && Holds(at, at + 1))) return false;
    uint64_t stop = std::min<uint64_t>(end, blockStart_ + blockValid_);
    std::memcpy(destination + (at - start), block_.data() + (at - blockStart_), stop - at);
    at = stop;
  }
  return true;
}

bool ReadAheadDevice::FillBlock(uint64_t start) {
  if (start == failedBlock_) return false;
  if (blockValid_ > 0 && start == blockStart_) return false;  // it already holds all the block had
  uint64_t length = kBlockBytes;
  if (sizeKnown_) {
    if (start >= size_) return false;
    length = std::min<uint64_t>(length, size_ - start);
  }
  if (block_.data() == nullptr && !block_.Allocate(kBlockBytes, kBlockBytes)) return false;

  blockValid_ = 0;
  uint32_t got = 0;
  uint32_t error = 0;
  if (!inner_->Seek(start, error) || !inner_->Read(block_.data(), static_cast<uint32_t>(length), got, error)) {
    failedBlock_ = start;
    return false;
  }
  blockStart_ = start;
  blockValid_ = got;
  return got > 0;
}

std::unique_ptr<Device> ReadAheadOpener::Open(const std::string& path, DeviceAccess access, uint32_t& error) {
  std::unique_ptr<Device> device = inner_.Open(path, access, error);
  if (!device) return nullptr;
  return std::make_unique<ReadAheadDevice>(std::move(device));
}
