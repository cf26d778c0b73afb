// The first FAT in memory: loading it, reading its entries, and the cluster
// arithmetic of the data area.
#include "Media.h"
#include "Recovery.h"
#include "SectorWindow.h"
#include "Trace.h"

namespace {

// Bytes that hold the entries of clusters 0 .. entries - 1.
uint64_t EntryBytes(uint64_t entries, bool fat12, bool fat16) {
  if (fat12) return (entries * 3 + 1) / 2;
  return entries * (fat16 ? 2 : 4);
}

}  // namespace

// Loads only as much of the FAT as holds entries for the clusters that the
// volume and the medium can have: a FAT size from a damaged boot sector
// then sizes no allocation beyond them.
bool Recovery::loadFat(uint32_t fatSectors) {
  const uint32_t ss = media.sectorSize;
  uint64_t clusters = clusterCount;
  uint64_t mediumClusters = media.sectorCount / bootSector.sectorsPerCluster;
  if (mediumClusters < clusters) clusters = mediumClusters;
  uint64_t needed = (EntryBytes(clusters + 2, isFat12, isFat16) + ss - 1) / ss;
  uint32_t sectors = needed < fatSectors ? static_cast<uint32_t>(needed) : fatSectors;

  const uint32_t fatStart = bpbSector + bootSector.reservedSectors;
  fatCopy.assign(static_cast<std::size_t>(sectors) * ss, 0);
  fatBytes = static_cast<uint32_t>(fatCopy.size());
  for (uint32_t i = 0; i < sectors; ++i) {
    if (stopRequested() || !media.ReadSectors(fatStart + i, 1)) {
      TraceMessage("FAT sector %d cannot be read", fatStart + i);
      fatCopy.clear();
      fatBytes = 0;
      return false;
    }
    std::copy(sectorBuffer(), sectorBuffer() + ss, fatCopy.begin() + static_cast<std::ptrdiff_t>(i) * ss);
  }
  fatLoaded_ = true;
  return true;
}

uint32_t Recovery::nextCluster(uint32_t c) const {
  SectorWindow fat(fatCopy.data(), fatBytes);
  if (isFat12) {
    uint64_t at = static_cast<uint64_t>(c) * 3 / 2;
    if (!fat.has(at, 2)) return endOfChain;
    uint16_t word = fat.le16(at);
    return (c & 1) != 0 ? word >> 4 : word & 0xFFFu;
  }
  if (isFat16) {
    uint64_t at = static_cast<uint64_t>(c) * 2;
    return fat.has(at, 2) ? fat.le16(at) : endOfChain;
  }
  uint64_t at = static_cast<uint64_t>(c) * 4;
  return fat.has(at, 4) ? fat.le32(at) & 0x0FFFFFFFu : endOfChain;
}

// The FAT marks the end of a chain with any value from FF8 (FFF8, 0FFFFFF8)
// up, not only with endOfChain; 0 and 1 are never clusters of a chain.
bool Recovery::isChainLink(uint32_t value) const { return value >= 2 && value < endOfChain - 7; }

uint64_t Recovery::clusterSector(uint32_t cluster) const {
  return (static_cast<uint64_t>(cluster) - 2) * sectorsPerCluster + firstDataSector;
}

uint32_t Recovery::sectorCluster(uint32_t sector) const {
  return (sector - firstDataSector) / sectorsPerCluster + 2;
}

// Cluster numbers whose first sector lies on the medium, and whose FAT entry
// the loaded FAT holds: only those can lead a chain on.
uint32_t Recovery::clustersOnMedium() const {
  const uint64_t dataSectors = media.sectorCount > firstDataSector ? media.sectorCount - firstDataSector : 0;
  uint64_t onMedium = dataSectors / sectorsPerCluster + 2;
  uint64_t inFat = isFat12 ? static_cast<uint64_t>(fatBytes) * 2 / 3 : fatBytes / (isFat16 ? 2 : 4);
  uint64_t bound = onMedium < inFat ? onMedium : inFat;
  return static_cast<uint32_t>(bound < UINT32_MAX ? bound : UINT32_MAX);
}
