// The run of one recovery: where the data ends, what the FAT volume still
// describes, whether that is enough, the sector search when it is not, and
// the summary. Every loop below ends promptly once a stop is requested.
#include <algorithm>
#include <cstring>

#include "DirectoryWalk.h"
#include "ExfatWalk.h"
#include "IntensiveScan.h"
#include "Media.h"
#include "OrphanChains.h"
#include "Recovery.h"
#include "TextIds.h"
#include "Trace.h"
#include "Utilities.h"

namespace {

constexpr uint32_t kUnexaminedTail = 16;  // the last sectors are never examined
constexpr uint32_t kProbeStep = 512;
constexpr uint32_t kProbeSectors = 16;
constexpr uint32_t kLowestProbe = 1024;
constexpr uint32_t kSearchProgressEnd = 400;  // the search fills the first quarter
constexpr uint32_t kEnoughFiles = 5;

uint32_t SectorsToConsider(uint64_t total) {
  // Sector numbers are 32-bit: a larger medium is searched up to the last of them.
  uint64_t numbered = std::min<uint64_t>(total, UINT32_MAX);
  return numbered > kUnexaminedTail ? static_cast<uint32_t>(numbered - kUnexaminedTail) : 0;
}

bool AllZero(const uint8_t* bytes, std::size_t count) {
  return bytes[0] == 0 && std::memcmp(bytes, bytes + 1, count - 1) == 0;
}

}  // namespace

uint32_t Recovery::run(void*) {
  if (!waitForStart()) return 0;
  options.types.normalise();
  const uint32_t n = SectorsToConsider(media.sectorCount);
  LogById(kTextSearchingSectors, n);
  scanEnd = findScanEnd(n);
  progressPos = scanEnd / 4;
  if (stopRequested()) return 0;
  if (fileSystemPass(n)) {
    if (stopRequested()) return 0;
    decideOnIntensiveScan(n);
  } else {
    used_.allocateForSectors(media.sectorCount);
    intensiveScan();
    File::listTree(root, 0);
  }
  if (stopRequested()) return 0;
  summarise();
  return 0;
}

// Probes 16 sectors every 512 sectors from the end backwards; the first probe
// that holds anything but zero bytes ends the search. An unreadable probe
// counts as empty.
uint32_t Recovery::findScanEnd(uint32_t sectorsToConsider) {
  const uint32_t n = sectorsToConsider;
  scanEnd = kSearchProgressEnd;
  if (n <= kLowestProbe + kProbeStep) return n;
  uint32_t s = n - kProbeStep;
  for (; s > kLowestProbe && !stopRequested(); s -= kProbeStep) {
    progressPos = 100 - static_cast<uint32_t>(static_cast<uint64_t>(s) * 100 / n);
    if (media.ReadSectors(s, kProbeSectors) &&
        !AllZero(media.buffer, static_cast<std::size_t>(kProbeSectors) * media.sectorSize))
      break;
  }
  return s + kProbeStep;
}

bool Recovery::fileSystemPass(uint32_t sectorsToConsider) {
  if (!volume_.find(media, *this)) return exfatPass();
  used_.allocateForSectors(media.sectorCount);
  const uint32_t fatSectors = volume_.fatSectors();
  if (fatSectors > sectorsToConsider) {
    TraceMessage("FAT of %d sectors is larger than the medium, not read", fatSectors);
    return true;
  }
  const uint64_t fatStart = volume_.fatStart();
  const uint64_t fatsEnd = fatStart + static_cast<uint64_t>(volume_.boot.numberOfFats) * fatSectors;
  markUsed(0, static_cast<uint32_t>(std::min<uint64_t>(fatsEnd, UINT32_MAX)));
  TraceMessage("FAT occupies %d sectors at %d-%d and %d-%d", fatSectors, static_cast<uint32_t>(fatStart),
               static_cast<uint32_t>(fatStart + fatSectors - 1), static_cast<uint32_t>(fatStart + fatSectors),
               static_cast<uint32_t>(fatStart + 2 * static_cast<uint64_t>(fatSectors) - 1));
  // Without the FAT nothing can be followed, but the sectors can still be searched.
  if (!volume_.loadFat(media, *this)) {
    structureDamaged = true;
    return true;
  }
  // Copies that differ mean a damaged FAT: what its chains lost may still be
  // found by the sector search.
  if (volume_.copiesDisagree()) {
    TraceMessage("The %d FAT copies differ: the sectors are searched too", volume_.copiesLoaded());
    structureDamaged = true;
  }
  DirectoryWalk(*this, volume_).walkRoot(false);
  if (options.forceIntensive && !stopRequested()) OrphanChains(*this, volume_).scan();
  return true;
}

// The boot regions and the FATs lie before the cluster heap; without the FAT
// no directory can be read, but the sectors can still be searched.
bool Recovery::exfatPass() {
  if (stopRequested() || !exfat_.find(media, *this)) return false;
  used_.allocateForSectors(media.sectorCount);
  markUsed(0, static_cast<uint32_t>(std::min<uint64_t>(exfat_.heapStart(), UINT32_MAX)));
  if (!exfat_.loadFat(media, *this)) {
    structureDamaged = true;
    return true;
  }
  ExfatWalk(*this, exfat_).walkRoot(false);
  return true;
}

// Few files, and few bytes, mean the directories lost track of most of the
// data: then the sectors are searched too.
void Recovery::decideOnIntensiveScan(uint32_t sectorsToConsider) {
  const uint64_t half = static_cast<uint64_t>(sectorsToConsider) * media.sectorSize / 2;
  uint64_t foundBytes = 0;
  uint32_t count = countFiles(root, foundBytes);
  if (count < kEnoughFiles && foundBytes < half && !structureDamaged) {
    if (!options.includeDeleted) {
      options.includeDeleted = true;
      if (volume_.fatLoaded()) DirectoryWalk(*this, volume_).walkRoot(true);
      if (exfat_.fatLoaded()) ExfatWalk(*this, exfat_).walkRoot(true);
      foundBytes = 0;
      count = countFiles(root, foundBytes);
    }
    // When the deleted entries were walked from the start, they are counted already.
    if (count < kEnoughFiles && foundBytes < half) structureDamaged = true;
  }
  if ((structureDamaged || options.forceIntensive) && !stopRequested()) intensiveScan();
  File::listTree(root, 0);
}

// Without a walked volume the search starts at sector 0.
void Recovery::intensiveScan() {
  if (exfat_.fatLoaded()) {
    const uint64_t heap = std::min<uint64_t>(exfat_.heapStart(), UINT32_MAX);
    IntensiveScan(*this, static_cast<uint32_t>(heap), exfat_.sectorsPerCluster()).run();
    return;
  }
  const uint32_t perCluster = volume_.sectorsPerCluster;
  IntensiveScan(*this, perCluster != 0 ? volume_.firstDataSector : 0, perCluster).run();
}

void Recovery::summarise() {
  progressPos = scanEnd.load();
  uint64_t foundBytes = 0;
  const uint32_t count = countFiles(root, foundBytes);
  if (count != 0) LogById(kTextFilesFound, count);
  // The sector count stays in the unit the medium was opened with, whatever
  // sector size a volume set since.
  const uint64_t mediumBytes = static_cast<uint64_t>(media.openedSectorSize) * media.sectorCount;
  LogById(kTextFoundOfMedium, FormatSize(static_cast<int64_t>(foundBytes), false),
          FormatSize(static_cast<int64_t>(mediumBytes), false));
}
