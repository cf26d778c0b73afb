// Following a cluster chain through the FAT and claiming its sectors for the
// record it belongs to, for the directory walk and the orphan chains alike.
#pragma once

#include <cstdint>
#include <vector>

#include "ClusterSet.h"

class File;
class FatVolume;
class Recovery;

// How a chain's owner takes a collision with sectors already claimed.
enum class ChainOwner { kLiveEntry, kDeletedEntry, kOrphan };

class ClusterChain {
 public:
  ClusterChain(Recovery& recovery, const FatVolume& volume) : recovery_(recovery), volume_(volume) {}

  // Before the first claim, once the volume's FAT is loaded and its data
  // area located: the clusters a chain can pass.
  void reset();

  // Follows the chain from first, claiming its sectors for record. A chain
  // ends at a free or end mark, where it comes back to a cluster it already
  // passed, after clusterCount links (no chain of the volume is longer), or
  // at a cluster beyond the medium. The first cluster that another record
  // already claimed is reported once, and sets collided. False when the
  // record must go: its chain runs off the medium.
  //
  // A live entry's chain is read from the first FAT copy in which it is
  // whole (see wholeIn); from the first copy when it is whole there or
  // nowhere. expectedClusters: how many clusters the entry's size needs, 0
  // when the size says nothing (folders). A deleted entry's clusters are
  // free in a sound FAT: where the first copy holds a link at its first
  // cluster and a later copy holds it free, the first copy is damaged there
  // and the chain is read from the later one.
  bool claim(File& record, uint32_t first, ChainOwner owner, bool& collided, uint64_t expectedClusters = 0);

 private:
  uint32_t chooseCopy(const File& record, uint32_t first, uint64_t expectedClusters);
  uint32_t chooseFreeCopy(const File& record, uint32_t first);
  // The chain from first in a copy stays in the clusters of the medium, ends
  // at an end mark without coming back to itself, touches no sector another
  // record claims, and has the expected number of clusters (when known).
  bool wholeIn(uint32_t first, uint32_t copy, uint64_t expectedClusters);

  Recovery& recovery_;
  const FatVolume& volume_;
  // The clusters of the chain being followed, to cut it where it comes back
  // to itself; emptied after each chain.
  ClusterSet passed_;
  std::vector<uint32_t> trail_;
};
