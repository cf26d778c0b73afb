// The root directory: a fixed area after the FATs on FAT12 and FAT16, a
// cluster chain on FAT32. It starts the directory walk.
#include <algorithm>

#include "Media.h"
#include "Recovery.h"
#include "Trace.h"

bool Recovery::walkRootDirectory(const BootSector& bpb, bool deletedPassOnly) {
  sectorsPerCluster = bpb.sectorsPerCluster;
  std::vector<uint8_t> data;
  readRootDirectory(bpb, data);
  chainClusters_.reset(clustersOnMedium());
  if (!deletedPassOnly) walkRootPass(data, false);
  if (includeDeleted && !stopRequested()) walkRootPass(data, true);
  return true;
}

void Recovery::readRootDirectory(const BootSector& bpb, std::vector<uint8_t>& data) {
  const uint64_t fats = static_cast<uint64_t>(bpb.numberOfFats) * bpb.fatSectors(isFat32);
  const uint64_t areaStart = static_cast<uint64_t>(bpbSector) + bpb.reservedSectors + fats;
  const uint64_t dataStart = isFat32 ? areaStart : areaStart + bpb.rootDirectorySectors();
  // Beyond sector numbers: then no cluster lies on the medium.
  firstDataSector = static_cast<uint32_t>(std::min<uint64_t>(dataStart, UINT32_MAX));
  rootClusters_.clear();
  if (isFat32)
    readRootDirectoryChain(data);
  else
    readFixedRootDirectory(areaStart, bpb.rootEntries, data);
}

// Sector by sector until a read fails.
void Recovery::readFixedRootDirectory(uint64_t start, uint32_t entries, std::vector<uint8_t>& data) {
  const uint32_t rootBytes = entries * 32;
  TraceMessage("Root directory begins at %d and is %d bytes", static_cast<uint32_t>(start), rootBytes);
  const uint32_t ss = media.sectorSize;
  for (uint64_t s = start; data.size() < rootBytes && s <= UINT32_MAX && !stopRequested(); ++s) {
    if (!media.ReadSectors(static_cast<uint32_t>(s), 1)) break;
    data.insert(data.end(), sectorBuffer(), sectorBuffer() + ss);
  }
  if (data.size() > rootBytes) data.resize(rootBytes);
}

// Unreadable sectors are left out and the rest moves up.
void Recovery::readRootDirectoryChain(std::vector<uint8_t>& data) {
  const uint32_t ss = media.sectorSize;
  ClusterSet seen;
  seen.reset(clustersOnMedium());
  for (uint32_t c = rootCluster;
       isChainLink(c) && !seen.has(c) && rootClusters_.size() < clusterCount && !stopRequested(); c = nextCluster(c)) {
    if (clusterSector(c) >= media.sectorCount) break;
    seen.add(c);
    rootClusters_.push_back(c);
  }
  const uint64_t rootBytes = static_cast<uint64_t>(rootClusters_.size()) * sectorsPerCluster * ss;
  TraceMessage("Root directory begins at %d and is %d bytes", static_cast<uint32_t>(clusterSector(rootCluster)),
               static_cast<uint32_t>(rootBytes));
  for (uint32_t c : rootClusters_) {
    for (uint32_t i = 0; i < sectorsPerCluster && data.size() < kLargestDirectoryBytes && !stopRequested(); ++i) {
      const uint32_t s = static_cast<uint32_t>(clusterSector(c) + i);
      if (media.ReadSectors(s, 1)) data.insert(data.end(), sectorBuffer(), sectorBuffer() + ss);
    }
  }
}

void Recovery::walkRootPass(const std::vector<uint8_t>& data, bool deleted) {
  deletedPass = deleted;
  walkedDirectorySectors_.clear();
  // A folder that points back at the root is walked no further.
  for (uint32_t c : rootClusters_)
    for (uint32_t i = 0; i < sectorsPerCluster; ++i)
      walkedDirectorySectors_.insert(static_cast<uint32_t>(clusterSector(c) + i));
  directoryDepth_ = 0;
  walkDirectory(data.data(), static_cast<uint32_t>(data.size() / 32), root);
}
