// Cluster chains that no directory entry points to any more (a lost folder,
// a damaged directory): each one that no record starts becomes a record of
// its own, named after the type its first cluster shows.
#include <algorithm>

#include "Media.h"
#include "Recovery.h"

namespace {
constexpr uint32_t kMostWindowSectors = 8;
const char* const kUnknownType = "---";
}  // namespace

void Recovery::scanOrphanChains() {
  if (sectorsPerCluster == 0) return;
  const uint64_t limit = std::min<uint64_t>(scanEnd, media.sectorCount);
  const uint64_t clusters = limit > firstDataSector ? (limit - firstDataSector) / sectorsPerCluster : 0;
  // Beyond the loaded FAT no cluster leads on, so none starts a chain.
  const uint32_t last = static_cast<uint32_t>(std::min<uint64_t>(clusters + 1, clustersOnMedium()));

  // A successor is in the middle of a chain; a record's first cluster starts a known one.
  ClusterSet taken;
  taken.reset(last + 1);
  for (uint32_t c = 2; c <= last && !stopRequested(); ++c) {
    uint32_t v = nextCluster(c);
    if (isChainLink(v) && v <= static_cast<uint64_t>(clusterCount) + 1) taken.add(v);
  }
  markRecordStarts(root, taken);

  const uint32_t window = std::min(sectorsPerCluster, kMostWindowSectors);
  for (uint32_t c = 2; c <= last && !stopRequested(); ++c)
    if (!taken.has(c) && isChainLink(nextCluster(c))) claimOrphanChain(c, window);
  pendingExtent = 0;
}

void Recovery::markRecordStarts(const File& directory, ClusterSet& starts) const {
  for (const File* child = directory.firstChild; child != nullptr; child = child->next) {
    if (child->size == 0 || child->runs.empty()) continue;
    if (child->isDirectory) markRecordStarts(*child, starts);
    uint32_t first = child->nextSector(0);
    if (first >= firstDataSector) starts.add(sectorCluster(first));
  }
}

void Recovery::claimOrphanChain(uint32_t cluster, uint32_t windowSectors) {
  const uint32_t first = static_cast<uint32_t>(clusterSector(cluster));
  if (!media.ReadSectors(first, windowSectors)) return;
  std::string extension;
  bool picture = false;
  if (!identify(first, windowSectors, extension, picture, nullptr)) extension = kUnknownType;
  ++fileCounter;
  File* record = new File(File::GeneratedName("REC", fileCounter, extension));
  record->appendChild(root);
  record->isComplete = true;
  bool collided = false;
  if (!claimChain(*record, cluster, ChainOwner::kOrphan, collided)) {
    delete record;
    return;
  }
  if (record->countSectors() == sectorsPerCluster && extension == kUnknownType) {
    delete record;
    --fileCounter;
    return;
  }
  record->size = record->countSectors() * media.sectorSize;
  record->isPicture = picture;
}
