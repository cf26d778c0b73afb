#include "ExfatBootSector.h"

#include "ExfatFaultName.h"
#include "SectorWindow.h"

namespace {

constexpr uint16_t kBootSignature = 0xAA55;
constexpr uint8_t kSmallestSectorShift = 9;
constexpr uint8_t kLargestSectorShift = 12;
constexpr uint8_t kLargestClusterShift = 25;  // sector and cluster shifts together
// The main and the backup boot region: FATs start after them.
constexpr uint32_t kBootRegionsSectors = 24;

// [start, start + length) lies inside [0, limit), without overflowing.
bool Inside(uint64_t start, uint64_t length, uint64_t limit) { return start <= limit && length <= limit - start; }

bool ParameterBlockZero(const SectorWindow& w) {
  for (uint64_t at = 11; at < 64; ++at)
    if (w.u8(at) != 0) return false;
  return true;
}

}  // namespace

const char* ExfatBootFaultName(ExfatBootFault fault) {
  static const char* const kNames[] = {
      "sound",
      "no EXFAT name",
      "FAT parameter block not zero",
      "no boot signature",
      "sector size out of range",
      "cluster size out of range",
      "number of FATs not 1 or 2",
      "FAT outside the volume",
      "cluster heap outside the volume",
      "cluster count does not fit",
      "root cluster outside the heap",
      "boot region unreadable",
      "boot region checksum wrong",
  };
  return ExfatFaultName(fault, kNames);
}

ExfatBootSector ExfatBootSector::FromBytes(const uint8_t* sector) {
  SectorWindow w(sector, kBytes);
  ExfatBootSector b;
  b.namesExfat = w.matches(3, "EXFAT   ");
  b.parameterBlockZero = ParameterBlockZero(w);
  b.partitionOffset = w.le64(64);
  b.volumeLength = w.le64(72);
  b.fatOffset = w.le32(80);
  b.fatLength = w.le32(84);
  b.clusterHeapOffset = w.le32(88);
  b.clusterCount = w.le32(92);
  b.rootCluster = w.le32(96);
  b.volumeSerial = w.le32(100);
  b.revision = w.le16(104);
  b.volumeFlags = w.le16(106);
  b.bytesPerSectorShift = w.u8(108);
  b.sectorsPerClusterShift = w.u8(109);
  b.numberOfFats = w.u8(110);
  b.percentInUse = w.u8(112);
  b.signature = w.le16(510);
  return b;
}

// The areas in order: boot regions, the FATs, the cluster heap, each inside
// the volume, and the volume's used part inside the medium.
ExfatBootFault ExfatBootSector::check(uint64_t mediumSectors) const {
  if (!namesExfat) return ExfatBootFault::kNoName;
  if (!parameterBlockZero) return ExfatBootFault::kNotZeroed;
  if (signature != kBootSignature) return ExfatBootFault::kNoSignature;
  if (bytesPerSectorShift < kSmallestSectorShift || bytesPerSectorShift > kLargestSectorShift)
    return ExfatBootFault::kSectorShift;
  if (sectorsPerClusterShift > kLargestClusterShift - bytesPerSectorShift) return ExfatBootFault::kClusterShift;
  if (numberOfFats != 1 && numberOfFats != 2) return ExfatBootFault::kFatCount;

  const uint64_t limit = volumeLength < mediumSectors ? volumeLength : mediumSectors;
  const uint64_t fats = static_cast<uint64_t>(fatLength) * numberOfFats;
  if (fatOffset < kBootRegionsSectors || fatLength == 0 || !Inside(fatOffset, fats, limit))
    return ExfatBootFault::kFatOutside;
  if (clusterHeapOffset < fatOffset + fats || clusterHeapOffset > limit) return ExfatBootFault::kHeapOutside;

  const uint64_t heapClusters = (volumeLength - clusterHeapOffset) >> sectorsPerClusterShift;
  const uint64_t fatEntries = (static_cast<uint64_t>(fatLength) << bytesPerSectorShift) / 4;
  if (clusterCount == 0 || clusterCount > kMostClusters || clusterCount > heapClusters ||
      static_cast<uint64_t>(clusterCount) + 2 > fatEntries)
    return ExfatBootFault::kClusterCount;
  const uint64_t heapSectors = static_cast<uint64_t>(clusterCount) << sectorsPerClusterShift;
  if (!Inside(clusterHeapOffset, heapSectors, limit)) return ExfatBootFault::kHeapOutside;
  if (rootCluster < 2 || rootCluster - 2 >= clusterCount) return ExfatBootFault::kRootCluster;
  return ExfatBootFault::kNone;
}
