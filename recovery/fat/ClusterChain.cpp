#include "ClusterChain.h"

#include "FatVolume.h"
#include "File.h"
#include "Media.h"
#include "Recovery.h"
#include "TextIds.h"
#include "Trace.h"

void ClusterChain::reset() { passed_.reset(volume_.clustersOnMedium(recovery_.media.sectorCount)); }

bool ClusterChain::claim(File& record, uint32_t first, ChainOwner owner, bool& collided) {
  collided = false;
  bool keep = true;
  uint32_t links = 0;
  const bool keepPartial = recovery_.options.keepPartial;
  trail_.clear();
  for (uint32_t c = first; volume_.isChainLink(c) && !recovery_.stopRequested(); c = volume_.nextCluster(c)) {
    if (passed_.has(c) || links == volume_.clusterCount) {
      TraceMessage("Cluster chain from %d loops back at cluster %d", first, c);
      recovery_.structureDamaged = true;
      break;
    }
    ++links;
    const uint64_t s = volume_.clusterSector(c);
    if (s >= recovery_.media.sectorCount) {
      keep = !record.runs.empty() && keepPartial;
      break;
    }
    passed_.add(c);
    trail_.push_back(c);
    const uint32_t sector = static_cast<uint32_t>(s);
    if (!collided && recovery_.isUsed(sector)) {
      collided = true;
      if (owner == ChainOwner::kDeletedEntry && !keepPartial) break;
      recovery_.LogById(owner == ChainOwner::kDeletedEntry ? kTextKeptDespiteCollision : kTextUsedByAnother,
                        record.pathText(0));
    }
    recovery_.markUsed(sector, volume_.sectorsPerCluster);
    record.addRun(sector, volume_.sectorsPerCluster);
  }
  for (uint32_t c : trail_) passed_.remove(c);
  return keep;
}
