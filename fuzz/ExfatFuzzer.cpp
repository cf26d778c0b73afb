// Fuzzes the exFAT boot region and directory entry parsers: the input is the
// start of a 64 MiB medium (zeros after it) whose boot region is read, and a
// directory in which an entry set is parsed at every 32-byte slot. A region
// taken must describe a heap on the medium; a set taken must lie inside the
// directory and carry as many name units as it says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ExfatBootRegion.h"
#include "ExfatEntrySet.h"

namespace {

constexpr uint64_t kMediumBytes = 64ull << 20;

void CheckBootRegion(const uint8_t* data, size_t size) {
  const ExfatByteReader read = [data, size](uint64_t offset, uint32_t count, uint8_t* into) {
    if (offset > kMediumBytes || count > kMediumBytes - offset) std::abort();
    std::memset(into, 0, count);
    if (offset < size) std::memcpy(into, data + offset, static_cast<size_t>(std::min<uint64_t>(count, size - offset)));
    return true;
  };
  const ExfatBootRegion region = ReadExfatBootRegion(read, 0, kMediumBytes);
  if (region.used == ExfatBootCopy::kNone) return;
  const ExfatBootSector& b = region.boot;
  if (b.check(kMediumBytes >> b.bytesPerSectorShift) != ExfatBootFault::kNone) std::abort();
  const uint64_t heapEnd = b.clusterSector(b.clusterCount + 1) + b.sectorsPerCluster();
  if (heapEnd > (kMediumBytes >> b.bytesPerSectorShift) || heapEnd > b.volumeLength) std::abort();
}

void CheckEntries(const uint8_t* data, size_t size) {
  const SectorWindow dir(data, size);
  for (uint64_t at = 0; dir.has(at, exfat_entry::kBytes); at += exfat_entry::kBytes) {
    ExfatFileSet set;
    if (ParseExfatFileSet(dir, at, set) == ExfatSetFault::kNone) {
      if (!dir.has(at, uint64_t{set.entries} * exfat_entry::kBytes) || set.entries < 3 || set.entries > 19)
        std::abort();
      if (set.name.size() != set.nameLength || set.nameLength == 0) std::abort();
      if (set.validDataLength > set.dataLength) std::abort();
    }
    if (ExfatLabelEntry::FromBytes(dir, at).label.size() > ExfatLabelEntry::kMostUnits) std::abort();
    ExfatBitmapEntry::FromBytes(dir, at);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckBootRegion(data, size);
  CheckEntries(data, size);
  return 0;
}
