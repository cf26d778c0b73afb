#include "ClusterChain.h"

#include "FatVolume.h"
#include "File.h"
#include "Media.h"
#include "Recovery.h"
#include "TextIds.h"
#include "Trace.h"

void ClusterChain::reset() { passed_.reset(volume_.clustersOnMedium(recovery_.media.sectorCount)); }

bool ClusterChain::claim(File& record, uint32_t first, ChainOwner owner, bool& collided, uint64_t expectedClusters) {
  collided = false;
  bool keep = true;
  uint32_t links = 0;
  const bool keepPartial = recovery_.options.keepPartial;
  uint32_t copy = 0;
  if (owner == ChainOwner::kLiveEntry) copy = chooseCopy(record, first, expectedClusters);
  if (owner == ChainOwner::kDeletedEntry) copy = chooseFreeCopy(record, first);
  trail_.clear();
  for (uint32_t c = first; volume_.isChainLink(c) && !recovery_.stopRequested(); c = volume_.nextCluster(c, copy)) {
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

uint32_t ClusterChain::chooseCopy(const File& record, uint32_t first, uint64_t expectedClusters) {
  if (volume_.copiesLoaded() < 2 || !volume_.isChainLink(first) || wholeIn(first, 0, expectedClusters)) return 0;
  for (uint32_t copy = 1; copy < volume_.copiesLoaded(); ++copy) {
    if (!wholeIn(first, copy, expectedClusters)) continue;
    TraceMessage("Cluster chain of %s from cluster %d read from FAT copy %d: the first copy is damaged there",
                 record.pathText(0), first, copy + 1);
    recovery_.structureDamaged = true;
    return copy;
  }
  return 0;
}

uint32_t ClusterChain::chooseFreeCopy(const File& record, uint32_t first) {
  if (volume_.copiesLoaded() < 2 || !volume_.isChainLink(first) || volume_.nextCluster(first, 0) == 0) return 0;
  for (uint32_t copy = 1; copy < volume_.copiesLoaded(); ++copy) {
    if (volume_.nextCluster(first, copy) != 0) continue;
    TraceMessage("Cluster chain of %s from cluster %d read from FAT copy %d: the first copy is damaged there",
                 record.pathText(0), first, copy + 1);
    recovery_.structureDamaged = true;
    return copy;
  }
  return 0;
}

bool ClusterChain::wholeIn(uint32_t first, uint32_t copy, uint64_t expectedClusters) {
  const uint64_t sectorCount = recovery_.media.sectorCount;
  const uint32_t clusters = volume_.clustersOnMedium(sectorCount);
  uint64_t links = 0;
  bool whole = true;
  uint32_t c = first;
  trail_.clear();
  for (; volume_.isChainLink(c); c = volume_.nextCluster(c, copy)) {
    const uint64_t s = volume_.clusterSector(c);
    if (c >= clusters || passed_.has(c) || links == volume_.clusterCount || s >= sectorCount ||
        recovery_.isUsed(static_cast<uint32_t>(s)) || (expectedClusters != 0 && links == expectedClusters)) {
      whole = false;
      break;
    }
    passed_.add(c);
    trail_.push_back(c);
    ++links;
  }
  for (uint32_t passed : trail_) passed_.remove(passed);
  trail_.clear();
  // A free or reserved value ends no chain that the FAT still describes.
  if (whole && (c < 2 || volume_.isChainLink(c))) whole = false;
  return whole && (expectedClusters == 0 || links == expectedClusters);
}
