// Following a cluster chain through the FAT and claiming its sectors for the
// record it belongs to.
#include "Media.h"
#include "Recovery.h"
#include "Trace.h"

namespace {
constexpr unsigned kKeptDespiteCollision = 501;
constexpr unsigned kUsedByAnother = 502;
}  // namespace

// A chain ends at a free or end mark, where it comes back to a cluster it
// already passed, after clusterCount links (no chain of the volume is
// longer), or at a cluster beyond the medium. The first cluster that another
// record already claimed is reported once.
bool Recovery::claimChain(File& record, uint32_t first, ChainOwner owner, bool& collided) {
  collided = false;
  bool keep = true;
  uint32_t links = 0;
  chainTrail_.clear();
  for (uint32_t c = first; isChainLink(c) && !stopRequested(); c = nextCluster(c)) {
    if (chainClusters_.has(c) || links == clusterCount) {
      TraceMessage("Cluster chain from %d loops back at cluster %d", first, c);
      structureDamaged = true;
      break;
    }
    ++links;
    uint64_t s = clusterSector(c);
    if (s >= media.sectorCount) {
      keep = !record.runs.empty() && keepPartial;
      break;
    }
    chainClusters_.add(c);
    chainTrail_.push_back(c);
    const uint32_t sector = static_cast<uint32_t>(s);
    if (!collided && isUsed(sector)) {
      collided = true;
      if (owner == ChainOwner::kDeletedEntry && !keepPartial) break;
      LogById(owner == ChainOwner::kDeletedEntry ? kKeptDespiteCollision : kUsedByAnother, record.pathText(0));
    }
    markUsed(sector, sectorsPerCluster);
    record.addRun(sector, sectorsPerCluster);
  }
  for (uint32_t c : chainTrail_) chainClusters_.remove(c);
  return keep;
}
