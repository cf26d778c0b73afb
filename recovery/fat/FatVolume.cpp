#include "FatVolume.h"

#include <algorithm>

#include "Media.h"
#include "PartitionStart.h"
#include "SectorWindow.h"
#include "Thread.h"
#include "Trace.h"

namespace {

constexpr uint32_t kLastSearchedSector = 511;
constexpr uint8_t kNearJump = 0xE9;
constexpr uint8_t kActive = 0x80;
constexpr uint32_t kFat12Clusters = 4084;
constexpr uint32_t kFat16Clusters = 65524;

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// The sector sizes a FAT volume can have.
bool UsableSectorSize(uint32_t bytes) { return IsPowerOfTwo(bytes) && bytes >= 512 && bytes <= 4096; }

// Bytes that hold the entries of clusters 0 .. entries - 1.
uint64_t EntryBytes(uint64_t entries, FatType type) {
  if (type == FatType::kFat12) return (entries * 3 + 1) / 2;
  return entries * (type == FatType::kFat16 ? 2 : 4);
}

}  // namespace

bool FatVolume::find(Media& media, const Thread& worker) {
  sectorsPerCluster = 0;
  fats_.clear();
  uint32_t at = 0;
  if (!locateBootSector(media, worker, at)) return false;
  TraceMessage("BPB at sector %d", at);
  TraceHexDump(media.buffer, static_cast<int32_t>(BootSector::kBytes));
  boot = BootSector::FromBytes(media.buffer);
  boot.hiddenSectors = at;
  bootSectorAt = at;
  // Checked before anything divides by them or takes them as a sector size.
  if (!UsableSectorSize(boot.bytesPerSector) || boot.sectorsPerCluster == 0 || boot.numberOfFats == 0) {
    TraceMessage("Boot sector at %d does not describe a FAT volume", at);
    return false;
  }
  media.SetSectorSize(boot.bytesPerSector);
  media.SetGeometry(boot.heads, boot.sectorsPerTrack);
  if (!determineType()) {
    TraceMessage("Boot sector at %d does not describe a FAT volume", at);
    return false;
  }
  TraceMessage("File system determined to be %s", typeName());
  return true;
}

// Leaves the boot sector at the start of the buffer.
bool FatVolume::locateBootSector(Media& media, const Thread& worker, uint32_t& sector) {
  if (media.ReadSectors(0, 1) && HasBootSignature(media.buffer)) {
    const BootSector own = BootSector::FromBytes(media.buffer);
    if (own.mediaDescriptor != 0 && own.jump == kNearJump) {
      sector = 0;
      return true;
    }
    const BootRecordEntry entry = ReadBootRecordEntry(media.buffer, 0);
    if ((entry.bootFlag != kActive && entry.bootFlag != 0) || entry.type == 0) {
      sector = 0;
      return true;
    }
    const uint32_t first = PartitionFirstSector(media, entry);
    if (media.ReadSectors(first, 1)) {
      sector = first;
      return HasBootSignature(media.buffer);
    }
  }
  for (uint32_t b = 1; b <= kLastSearchedSector && !worker.stopRequested(); ++b) {
    if (media.ReadSectors(b, 1) && HasBootSignature(media.buffer) &&
        BootSector::FromBytes(media.buffer).hiddenSectors == b) {
      sector = b;
      return true;
    }
  }
  return false;
}

// The type follows from the number of clusters; a volume whose areas do not
// fit inside it, or that has no FAT or no cluster, is no volume.
bool FatVolume::determineType() {
  const uint64_t total = boot.totalSectors();
  const bool marked = boot.marksFat32();
  uint64_t overhead = boot.reservedSectors + static_cast<uint64_t>(boot.numberOfFats) * boot.fatSectors(marked);
  if (marked)
    rootCluster = boot.rootCluster;
  else
    overhead += boot.rootDirectorySectors();
  if (boot.fatSectors(marked) == 0 || overhead >= total) return false;
  clusterCount = static_cast<uint32_t>((total - overhead) / boot.sectorsPerCluster);
  if (clusterCount == 0) return false;

  type = !marked && clusterCount <= kFat12Clusters   ? FatType::kFat12
         : !marked && clusterCount <= kFat16Clusters ? FatType::kFat16
                                                     : FatType::kFat32;
  endOfChain = type == FatType::kFat12 ? 0xFFF : type == FatType::kFat16 ? 0xFFFF : 0x0FFFFFFF;
  // A volume typed FAT32 by its cluster count alone keeps its FAT size there.
  return fatSectors() != 0;
}

const char* FatVolume::typeName() const {
  return type == FatType::kFat12 ? "FAT12" : type == FatType::kFat16 ? "FAT16" : "FAT32";
}

// A FAT size from a damaged boot sector then sizes no allocation beyond
// what the volume and the medium can use.
bool FatVolume::loadFat(Media& media, const Thread& worker) {
  const uint32_t ss = media.sectorSize;
  const uint64_t clusters = std::min<uint64_t>(clusterCount, media.sectorCount / boot.sectorsPerCluster);
  const uint64_t needed = (EntryBytes(clusters + 2, type) + ss - 1) / ss;
  const uint32_t sectors = static_cast<uint32_t>(std::min<uint64_t>(needed, fatSectors()));
  fats_.clear();
  if (!loadCopy(media, worker, 0, sectors)) return false;
  const uint32_t copies = std::min<uint32_t>(boot.numberOfFats, kMostCopies);
  for (uint32_t copy = 1; copy < copies; ++copy)
    if (!loadCopy(media, worker, copy, sectors)) break;
  return true;
}

bool FatVolume::loadCopy(Media& media, const Thread& worker, uint32_t copy, uint32_t sectors) {
  const uint32_t ss = media.sectorSize;
  const uint64_t start = fatStart() + static_cast<uint64_t>(copy) * fatSectors();
  if (start + sectors > media.sectorCount) return false;
  std::vector<uint8_t> fat(static_cast<std::size_t>(sectors) * ss, 0);
  for (uint32_t i = 0; i < sectors; ++i) {
    const uint32_t sector = static_cast<uint32_t>(start + i);
    if (worker.stopRequested() || !media.ReadSectors(sector, 1)) {
      TraceMessage("FAT sector %d cannot be read", sector);
      return false;
    }
    std::copy(media.buffer, media.buffer + ss, fat.begin() + static_cast<std::ptrdiff_t>(i) * ss);
  }
  fats_.push_back(std::move(fat));
  return true;
}

bool FatVolume::copiesDisagree() const {
  for (std::size_t copy = 1; copy < fats_.size(); ++copy)
    if (fats_[copy] != fats_[0]) return true;
  return false;
}

// Beyond sector numbers: then no cluster lies on the medium.
void FatVolume::locateDataArea() {
  sectorsPerCluster = boot.sectorsPerCluster;
  const uint64_t fats = static_cast<uint64_t>(boot.numberOfFats) * fatSectors();
  uint64_t start = fatStart() + fats;
  if (type != FatType::kFat32) start += boot.rootDirectorySectors();
  firstDataSector = static_cast<uint32_t>(std::min<uint64_t>(start, UINT32_MAX));
}

uint32_t FatVolume::nextCluster(uint32_t c, uint32_t copy) const {
  if (copy >= fats_.size()) return endOfChain;
  SectorWindow fat(fats_[copy].data(), fats_[copy].size());
  if (type == FatType::kFat12) {
    const uint64_t at = static_cast<uint64_t>(c) * 3 / 2;
    if (!fat.has(at, 2)) return endOfChain;
    const uint16_t word = fat.le16(at);
    return (c & 1) != 0 ? word >> 4 : word & 0xFFFu;
  }
  if (type == FatType::kFat16) {
    const uint64_t at = static_cast<uint64_t>(c) * 2;
    return fat.has(at, 2) ? fat.le16(at) : endOfChain;
  }
  const uint64_t at = static_cast<uint64_t>(c) * 4;
  return fat.has(at, 4) ? fat.le32(at) & 0x0FFFFFFFu : endOfChain;
}

// The FAT marks the end of a chain with any value from FF8 (FFF8, 0FFFFFF8)
// up, not only with endOfChain; 0 and 1 are never clusters of a chain.
bool FatVolume::isChainLink(uint32_t value) const { return value >= 2 && value < endOfChain - 7; }

uint64_t FatVolume::clusterSector(uint32_t cluster) const {
  return (static_cast<uint64_t>(cluster) - 2) * sectorsPerCluster + firstDataSector;
}

uint32_t FatVolume::sectorCluster(uint32_t sector) const {
  return (sector - firstDataSector) / sectorsPerCluster + 2;
}

uint32_t FatVolume::clustersOnMedium(uint64_t sectorCount) const {
  const uint64_t dataSectors = sectorCount > firstDataSector ? sectorCount - firstDataSector : 0;
  const uint64_t onMedium = dataSectors / sectorsPerCluster + 2;
  const uint64_t bytes = fats_.empty() ? 0 : fats_[0].size();
  const uint64_t inFat = type == FatType::kFat12 ? bytes * 2 / 3 : bytes / (type == FatType::kFat16 ? 2 : 4);
  return static_cast<uint32_t>(std::min<uint64_t>(std::min(onMedium, inFat), UINT32_MAX));
}
