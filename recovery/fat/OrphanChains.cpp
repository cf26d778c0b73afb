#include "OrphanChains.h"

#include <algorithm>

#include "ClusterSet.h"
#include "FatVolume.h"
#include "File.h"
#include "Identify.h"
#include "Media.h"
#include "Recovery.h"

namespace {
constexpr uint32_t kMostWindowSectors = 8;
const char* const kUnknownType = "---";
}  // namespace

void OrphanChains::scan() {
  const uint32_t perCluster = volume_.sectorsPerCluster;
  if (perCluster == 0) return;
  const Media& media = recovery_.media;
  chain_.reset();
  const uint64_t limit = std::min<uint64_t>(recovery_.scanEnd, media.sectorCount);
  const uint64_t clusters = limit > volume_.firstDataSector ? (limit - volume_.firstDataSector) / perCluster : 0;
  // Beyond the loaded FAT no cluster leads on, so none starts a chain.
  const uint32_t last =
      static_cast<uint32_t>(std::min<uint64_t>(clusters + 1, volume_.clustersOnMedium(media.sectorCount)));

  // A successor is in the middle of a chain; a record's first cluster starts a known one.
  ClusterSet taken;
  taken.reset(last + 1);
  for (uint32_t c = 2; c <= last && !recovery_.stopRequested(); ++c) {
    const uint32_t v = volume_.nextCluster(c);
    if (volume_.isChainLink(v) && v <= static_cast<uint64_t>(volume_.clusterCount) + 1) taken.add(v);
  }
  markRecordStarts(recovery_.root, taken);

  const uint32_t window = std::min(perCluster, kMostWindowSectors);
  for (uint32_t c = 2; c <= last && !recovery_.stopRequested(); ++c)
    if (!taken.has(c) && volume_.isChainLink(volume_.nextCluster(c))) claimOrphanChain(c, window);
}

void OrphanChains::markRecordStarts(const File& directory, ClusterSet& starts) const {
  for (const File* child = directory.firstChild; child != nullptr; child = child->next) {
    if (child->size == 0 || child->runs.empty()) continue;
    if (child->isDirectory) markRecordStarts(*child, starts);
    const uint32_t first = child->nextSector(0);
    if (first >= volume_.firstDataSector) starts.add(volume_.sectorCluster(first));
  }
}

void OrphanChains::claimOrphanChain(uint32_t cluster, uint32_t windowSectors) {
  Media& media = recovery_.media;
  const uint32_t first = static_cast<uint32_t>(volume_.clusterSector(cluster));
  if (!media.ReadSectors(first, windowSectors)) return;
  Identification type;
  if (!recovery_.identify(first, windowSectors, nullptr, type)) type.extension = kUnknownType;
  ++recovery_.fileCounter;
  File* record = new File(File::GeneratedName("REC", recovery_.fileCounter, type.extension));
  record->appendChild(recovery_.root);
  record->isComplete = true;
  bool collided = false;
  if (!chain_.claim(*record, cluster, ChainOwner::kOrphan, collided)) {
    delete record;
    return;
  }
  if (record->countSectors() == volume_.sectorsPerCluster && type.extension == kUnknownType) {
    delete record;
    --recovery_.fileCounter;
    return;
  }
  record->size = record->countSectors() * media.sectorSize;
  record->isPicture = type.picture;
}
