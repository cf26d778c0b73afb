#include "DeviceExtent.h"

#include <vector>

namespace {

enum class Probe { kInside, kBeyond, kFailed };

// The replies a device gives for a position past its end.
bool MeansEndOfMedium(uint32_t error) {
  constexpr uint32_t kErrorHandleEof = 38;
  constexpr uint32_t kErrorSectorNotFound = 27;
  return error == kErrorInvalidParameter || error == kErrorHandleEof || error == kErrorSectorNotFound ||
         error == kErrorSeek;
}

Probe ProbeSector(Device& device, uint64_t sector, std::vector<uint8_t>& buffer, uint32_t& error) {
  uint32_t failure = 0;
  uint32_t delivered = 0;
  const uint32_t size = static_cast<uint32_t>(buffer.size());
  if (!device.Seek(sector * size, failure) || !device.Read(buffer.data(), size, delivered, failure)) {
    error = failure;
    return MeansEndOfMedium(failure) ? Probe::kBeyond : Probe::kFailed;
  }
  return delivered == size ? Probe::kInside : Probe::kBeyond;
}

}  // namespace

bool ProbeSectorCount(Device& device, uint32_t sectorSize, uint64_t& count, uint32_t& error) {
  std::vector<uint8_t> buffer(sectorSize);
  uint32_t failure = 0;
  Probe first = ProbeSector(device, 0, buffer, failure);
  if (first != Probe::kInside) {
    error = first == Probe::kBeyond && failure == 0 ? kErrorNotReady : failure;
    return false;
  }
  // Doubling finds a readable sector `inside` and an unreadable one `beyond`
  // above it; halving the gap between them then ends at the last sector.
  uint64_t inside = 0;
  uint64_t beyond = 1;
  while (beyond < kLargestProbedSectors && ProbeSector(device, beyond, buffer, failure) != Probe::kBeyond) {
    inside = beyond;
    beyond *= 2;
  }
  while (beyond - inside > 1) {
    uint64_t middle = inside + (beyond - inside) / 2;
    if (ProbeSector(device, middle, buffer, failure) == Probe::kBeyond) {
      beyond = middle;
    } else {
      inside = middle;
    }
  }
  count = inside + 1;
  return true;
}
