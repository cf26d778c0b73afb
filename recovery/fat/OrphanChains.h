// Cluster chains that no directory entry points to any more (a lost folder,
// a damaged directory): each one of two or more clusters that no record
// starts becomes a record of its own, named after the type its first
// cluster shows.
#pragma once

#include <cstdint>

#include "ClusterChain.h"

class ClusterSet;
class FatVolume;
class File;
class Recovery;

class OrphanChains {
 public:
  // After the directory walk: the volume's FAT is loaded and its data area
  // located.
  OrphanChains(Recovery& recovery, const FatVolume& volume)
      : recovery_(recovery), volume_(volume), chain_(recovery, volume) {}

  void scan();

 private:
  void markRecordStarts(const File& directory, ClusterSet& starts) const;
  void claimOrphanChain(uint32_t cluster, uint32_t windowSectors);

  Recovery& recovery_;
  const FatVolume& volume_;
  ClusterChain chain_;
};
