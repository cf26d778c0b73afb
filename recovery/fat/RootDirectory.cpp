#include "RootDirectory.h"

#include "ClusterSet.h"
#include "FatVolume.h"
#include "Media.h"
#include "Thread.h"
#include "Trace.h"

void RootDirectory::read(Media& media, FatVolume& volume, const Thread& worker) {
  volume.locateDataArea();
  data.clear();
  clusters.clear();
  if (volume.type == FatType::kFat32)
    readChain(media, volume, worker);
  else
    readFixed(media, volume, worker);
}

void RootDirectory::readFixed(Media& media, const FatVolume& volume, const Thread& worker) {
  const uint64_t start = volume.fatStart() + static_cast<uint64_t>(volume.boot.numberOfFats) * volume.fatSectors();
  const uint32_t rootBytes = static_cast<uint32_t>(volume.boot.rootEntries) * 32;
  TraceMessage("Root directory begins at %d and is %d bytes", static_cast<uint32_t>(start), rootBytes);
  const uint32_t ss = media.sectorSize;
  for (uint64_t s = start; data.size() < rootBytes && s <= UINT32_MAX && !worker.stopRequested(); ++s) {
    if (!media.ReadSectors(static_cast<uint32_t>(s), 1)) break;
    data.insert(data.end(), media.buffer, media.buffer + ss);
  }
  if (data.size() > rootBytes) data.resize(rootBytes);
}

void RootDirectory::readChain(Media& media, const FatVolume& volume, const Thread& worker) {
  const uint32_t ss = media.sectorSize;
  const uint32_t perCluster = volume.sectorsPerCluster;
  ClusterSet seen;
  seen.reset(volume.clustersOnMedium(media.sectorCount));
  for (uint32_t c = volume.rootCluster; volume.isChainLink(c) && !worker.stopRequested(); c = volume.nextCluster(c)) {
    if (seen.has(c) || clusters.size() >= volume.clusterCount || volume.clusterSector(c) >= media.sectorCount) break;
    seen.add(c);
    clusters.push_back(c);
  }
  const uint64_t rootBytes = static_cast<uint64_t>(clusters.size()) * perCluster * ss;
  TraceMessage("Root directory begins at %d and is %d bytes",
               static_cast<uint32_t>(volume.clusterSector(volume.rootCluster)), static_cast<uint32_t>(rootBytes));
  for (uint32_t c : clusters) {
    for (uint32_t i = 0; i < perCluster && data.size() < kLargestDirectoryBytes && !worker.stopRequested(); ++i) {
      const uint32_t s = static_cast<uint32_t>(volume.clusterSector(c) + i);
      if (media.ReadSectors(s, 1)) data.insert(data.end(), media.buffer, media.buffer + ss);
    }
  }
}
