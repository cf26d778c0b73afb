// The exFAT volume of a medium: where its boot region is and what it says,
// the active FAT and the allocation bitmap in memory, and the cluster
// arithmetic of the cluster heap in sectors of the medium. Nothing read from
// the medium is trusted: the boot sector passed its checks before anything
// here is sized by it, and each table is cut to the clusters that lie on the
// medium.
//
// Convention: booleans report whether a volume, or a table, was found.
#pragma once

#include <cstdint>
#include <vector>

#include "ClusterSet.h"
#include "ExfatBootRegion.h"

class Media;
class Thread;

class ExfatVolume {
 public:
  static constexpr uint8_t kPartitionType = 0x07;

  // Sector 0 itself, or the first partition of type 0x07 that the master boot
  // record names. Sets the medium's sector size from the boot sector.
  bool find(Media& media, const Thread& worker);

  // The active FAT, as far as it holds entries of clusters on the medium.
  // False when a sector of it cannot be read or a stop was requested.
  bool loadFat(Media& media, const Thread& worker);
  bool fatLoaded() const { return !fat_.empty(); }

  // The allocation bitmap of the bitmap entry at firstCluster, dataLength
  // bytes; clusters it does not reach count as free.
  bool loadBitmap(Media& media, const Thread& worker, uint32_t firstCluster, uint64_t dataLength);
  bool bitmapLoaded() const { return !bitmap_.empty(); }
  bool isAllocated(uint32_t cluster) const;

  // A cluster number of the heap whose sectors lie on the medium.
  bool onMedium(uint32_t cluster) const { return cluster >= 2 && cluster < clusterEnd_; }
  // The FAT entry of cluster c; the end mark beyond the loaded FAT.
  uint32_t nextCluster(uint32_t c) const;

  // The clusters of a stream from first: when contiguous, one after another
  // without the FAT, else along it. The list ends at the first cluster that
  // is not on the medium, where a chain comes back to itself, at an end or
  // free mark, or after limit clusters.
  std::vector<uint32_t> streamClusters(uint32_t first, uint64_t limit, bool contiguous);
  // The clusters of bytes bytes of one of the volume's own streams (the
  // allocation bitmap, the up-case table), which have no stream flags.
  std::vector<uint32_t> systemStreamClusters(uint32_t first, uint64_t bytes);

  // In sectors of the medium (of the volume's sector size).
  uint64_t clusterSector(uint32_t cluster) const { return volumeStart + boot().clusterSector(cluster); }
  uint32_t sectorsPerCluster() const { return boot().sectorsPerCluster(); }
  uint64_t bytesPerCluster() const { return boot().bytesPerCluster(); }
  uint64_t heapStart() const { return volumeStart + boot().clusterHeapOffset; }
  uint64_t fatStart() const;
  uint32_t clusterCount() const { return boot().clusterCount; }
  // One past the highest cluster number on the medium.
  uint32_t clusterEnd() const { return clusterEnd_; }

  const ExfatBootSector& boot() const { return region.boot; }

  ExfatBootRegion region;
  uint64_t volumeStart = 0;   // sectors of the volume's size
  uint64_t mediumSectors = 0;  // likewise: the medium's size in them

 private:
  bool locate(Media& media, const Thread& worker, uint64_t& startBytes);
  bool readTable(Media& media, const Thread& worker, uint64_t firstSector, uint64_t bytes,
                 std::vector<uint8_t>& table);

  std::vector<uint8_t> fat_;
  std::vector<uint8_t> bitmap_;
  uint32_t clusterEnd_ = 0;
  // The clusters of the chain being followed, emptied after each chain.
  ClusterSet passed_;
};
