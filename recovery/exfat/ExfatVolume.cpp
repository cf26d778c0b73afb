#include "ExfatVolume.h"

#include <algorithm>
#include <cstring>

#include "Media.h"
#include "PartitionStart.h"
#include "SectorWindow.h"
#include "Thread.h"
#include "Trace.h"

namespace {

constexpr uint32_t kEndMark = 0xFFFFFFFF;

bool NamesExfat(const uint8_t* sector) { return std::memcmp(sector + 3, "EXFAT   ", 8) == 0; }

const char* CopyName(ExfatBootCopy copy) { return copy == ExfatBootCopy::kBackup ? "backup" : "main"; }

}  // namespace

bool ExfatVolume::find(Media& media, const Thread& worker) {
  fat_.clear();
  bitmap_.clear();
  clusterEnd_ = 0;
  // A FAT search before may have taken a sector size from a damaged boot sector.
  media.SetSectorSize(media.openedSectorSize);
  uint64_t startBytes = 0;
  if (!locate(media, worker, startBytes)) return false;
  const uint64_t mediumBytes = media.sectorCount * media.openedSectorSize;
  region = ReadExfatBootRegion(MediaByteReader(media), startBytes, mediumBytes);
  if (region.used == ExfatBootCopy::kNone) {
    TraceMessage("exFAT boot region at byte %I64u refused: main %s, backup %s", startBytes,
                 ExfatBootFaultName(region.mainFault), ExfatBootFaultName(region.backupFault));
    return false;
  }
  if (region.used == ExfatBootCopy::kBackup)
    TraceMessage("exFAT main boot region refused (%s): the backup is used", ExfatBootFaultName(region.mainFault));
  const uint32_t ss = boot().bytesPerSector();
  if (startBytes % ss != 0) {
    TraceMessage("exFAT volume at byte %I64u does not begin on a sector of %d bytes", startBytes, ss);
    return false;
  }
  media.SetSectorSize(ss);
  volumeStart = startBytes / ss;
  mediumSectors = mediumBytes / ss;
  // Sector numbers of the medium are 32 bits wide: the heap ends there too.
  const uint64_t numbered = std::min<uint64_t>(mediumSectors, uint64_t{UINT32_MAX} + 1);
  const uint64_t onMedium = numbered > heapStart() ? (numbered - heapStart()) / sectorsPerCluster() : 0;
  clusterEnd_ = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{clusterCount()} + 2, onMedium + 2));
  passed_.reset(clusterEnd_);
  TraceMessage("exFAT boot sector (%s) at sector %I64u: %d-byte sectors, %d clusters of %I64u bytes from sector %I64u",
               CopyName(region.used), volumeStart, ss, clusterCount(), bytesPerCluster(), heapStart());
  TraceMessage("File system determined to be exFAT");
  return !worker.stopRequested();
}

// Leaves startBytes at the boot sector of the volume found.
bool ExfatVolume::locate(Media& media, const Thread& worker, uint64_t& startBytes) {
  if (!media.ReadSectors(0, 1)) return false;
  if (NamesExfat(media.buffer)) {
    startBytes = 0;
    return true;
  }
  if (!HasBootSignature(media.buffer)) return false;
  uint8_t table[kBootRecordBytes];
  std::memcpy(table, media.buffer, sizeof table);
  for (int i = 0; i < kBootRecordEntries && !worker.stopRequested(); ++i) {
    const BootRecordEntry entry = ReadBootRecordEntry(table, i);
    if (entry.type != kPartitionType) continue;
    const uint32_t first = PartitionFirstSector(media, entry);
    if (first == 0 || !media.ReadSectors(first, 1) || !NamesExfat(media.buffer)) continue;
    startBytes = static_cast<uint64_t>(first) * media.openedSectorSize;
    return true;
  }
  return false;
}

uint64_t ExfatVolume::fatStart() const {
  const bool second = boot().activeFatIsSecond() && boot().numberOfFats == 2;
  return volumeStart + boot().fatOffset + (second ? boot().fatLength : 0);
}

bool ExfatVolume::loadFat(Media& media, const Thread& worker) {
  const uint64_t bytes = std::min<uint64_t>(uint64_t{clusterEnd_} * 4, uint64_t{boot().fatLength} * media.sectorSize);
  fat_.clear();
  if (!readTable(media, worker, fatStart(), bytes, fat_)) {
    fat_.clear();
    return false;
  }
  return true;
}

bool ExfatVolume::readTable(Media& media, const Thread& worker, uint64_t firstSector, uint64_t bytes,
                            std::vector<uint8_t>& table) {
  const uint32_t ss = media.sectorSize;
  const uint64_t sectors = (bytes + ss - 1) / ss;
  if (firstSector + sectors > mediumSectors || firstSector + sectors > uint64_t{UINT32_MAX} + 1) return false;
  table.assign(static_cast<std::size_t>(sectors) * ss, 0);
  for (uint64_t done = 0; done < sectors;) {
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(sectors - done, Media::kMaxSectorsPerRead));
    const uint32_t sector = static_cast<uint32_t>(firstSector + done);
    if (worker.stopRequested() || !media.ReadSectors(sector, count)) {
      TraceMessage("exFAT table sectors from %d cannot be read", sector);
      return false;
    }
    std::memcpy(table.data() + done * ss, media.buffer, static_cast<std::size_t>(count) * ss);
    done += count;
  }
  table.resize(static_cast<std::size_t>(bytes));
  return true;
}

bool ExfatVolume::loadBitmap(Media& media, const Thread& worker, uint32_t firstCluster, uint64_t dataLength) {
  bitmap_.clear();
  const uint64_t wanted = std::min<uint64_t>(dataLength, (uint64_t{clusterEnd_} - 2 + 7) / 8);
  if (wanted == 0 || !onMedium(firstCluster)) return false;
  const uint64_t clusterBytes = bytesPerCluster();
  std::vector<uint8_t> part;
  for (uint32_t c : systemStreamClusters(firstCluster, wanted)) {
    const uint64_t bytes = std::min<uint64_t>(clusterBytes, wanted - bitmap_.size());
    if (!readTable(media, worker, clusterSector(c), bytes, part)) break;
    bitmap_.insert(bitmap_.end(), part.begin(), part.end());
  }
  if (bitmap_.size() < wanted)
    TraceMessage("exFAT allocation bitmap: %I64u of %I64u bytes read", static_cast<uint64_t>(bitmap_.size()), wanted);
  return !bitmap_.empty();
}

bool ExfatVolume::isAllocated(uint32_t cluster) const {
  if (cluster < 2) return false;
  const uint64_t bit = uint64_t{cluster} - 2;
  return bit / 8 < bitmap_.size() && (bitmap_[static_cast<std::size_t>(bit / 8)] & (1u << (bit % 8))) != 0;
}

uint32_t ExfatVolume::nextCluster(uint32_t c) const {
  const SectorWindow fat(fat_.data(), fat_.size());
  const uint64_t at = uint64_t{c} * 4;
  return fat.has(at, 4) ? fat.le32(at) : kEndMark;
}

// The FAT keeps the chain of such a stream, unless it marks the first
// cluster free: then the clusters follow one another.
std::vector<uint32_t> ExfatVolume::systemStreamClusters(uint32_t first, uint64_t bytes) {
  const uint64_t clusterBytes = bytesPerCluster();
  return streamClusters(first, (bytes + clusterBytes - 1) / clusterBytes, nextCluster(first) == 0);
}

std::vector<uint32_t> ExfatVolume::streamClusters(uint32_t first, uint64_t limit, bool contiguous) {
  std::vector<uint32_t> clusters;
  if (contiguous) {
    const uint64_t end = std::min<uint64_t>(uint64_t{first} + limit, clusterEnd_);
    for (uint64_t c = first; c < end && onMedium(static_cast<uint32_t>(c)); ++c)
      clusters.push_back(static_cast<uint32_t>(c));
    return clusters;
  }
  for (uint32_t c = first; onMedium(c) && clusters.size() < limit; c = nextCluster(c)) {
    if (passed_.has(c)) {
      TraceMessage("exFAT cluster chain from %d loops back at cluster %d", first, c);
      break;
    }
    passed_.add(c);
    clusters.push_back(c);
  }
  for (uint32_t c : clusters) passed_.remove(c);
  return clusters;
}
