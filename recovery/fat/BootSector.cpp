// Finding the FAT volume: where its boot sector is, and what it says about
// the FAT type and the number of clusters.
#include "BootSector.h"

#include "Media.h"
#include "MasterBootRecord.h"
#include "Recovery.h"
#include "SectorWindow.h"
#include "Trace.h"

namespace {

constexpr uint32_t kLastSearchedSector = 511;
constexpr uint8_t kNearJump = 0xE9;
constexpr uint8_t kActive = 0x80;
constexpr uint32_t kFat12Clusters = 4084;
constexpr uint32_t kFat16Clusters = 65524;

// Offsets of the first partition entry in a master boot record.
constexpr uint32_t kEntryBootFlag = 446;
constexpr uint32_t kEntryStartHead = 447;
constexpr uint32_t kEntryStartSector = 448;
constexpr uint32_t kEntryStartCylinder = 449;
constexpr uint32_t kEntryType = 450;
constexpr uint32_t kEntryEndHead = 451;
constexpr uint32_t kEntryEndSector = 452;

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

// The sector sizes a FAT volume can have.
bool UsableSectorSize(uint32_t bytes) { return IsPowerOfTwo(bytes) && bytes >= 512 && bytes <= 4096; }

}  // namespace

BootSector BootSector::FromBytes(const uint8_t* sector) {
  SectorWindow w(sector, kBytes);
  BootSector b;
  b.bytesPerSector = w.le16(11);
  b.sectorsPerCluster = w.u8(13);
  b.reservedSectors = w.le16(14);
  b.numberOfFats = w.u8(16);
  b.rootEntries = w.le16(17);
  b.totalSectors16 = w.le16(19);
  b.mediaDescriptor = w.u8(21);
  b.fatSectors16 = w.le16(22);
  b.sectorsPerTrack = w.le16(24);
  b.heads = w.le16(26);
  b.hiddenSectors = w.le32(28);
  b.totalSectors32 = w.le32(32);
  b.fatSectors32 = w.le32(36);
  // The field is 32 bits wide; its top 4 bits are reserved, as in FAT32 entries.
  b.rootCluster = w.le32(44) & 0x0FFFFFFF;
  b.namesFat32 = w.matches(82, "FAT32");
  return b;
}

bool Recovery::analyseBootSector() {
  sectorsPerCluster = 0;
  uint32_t at = 0;
  if (!locateBootSector(at)) return false;
  TraceMessage("BPB at sector %d", at);
  TraceHexDump(sectorBuffer(), static_cast<int32_t>(BootSector::kBytes));
  bootSector = BootSector::FromBytes(sectorBuffer());
  bootSector.hiddenSectors = at;
  bpbSector = at;
  // Checked before anything divides by them or takes them as a sector size.
  if (!UsableSectorSize(bootSector.bytesPerSector) || bootSector.sectorsPerCluster == 0 ||
      bootSector.numberOfFats == 0) {
    TraceMessage("Boot sector at %d does not describe a FAT volume", at);
    return false;
  }
  media.SetSectorSize(bootSector.bytesPerSector);
  media.SetGeometry(bootSector.heads, bootSector.sectorsPerTrack);
  if (!determineFatType()) {
    TraceMessage("Boot sector at %d does not describe a FAT volume", at);
    return false;
  }
  TraceMessage("File system determined to be %s", isFat12 ? "FAT12" : isFat16 ? "FAT16" : "FAT32");
  return true;
}

// Sector 0 itself, the sector the first partition entry names, or the first
// of sectors 1 to 511 that names itself in its hidden-sectors field. Leaves
// the sector at the start of the buffer.
bool Recovery::locateBootSector(uint32_t& sector) {
  if (media.ReadSectors(0, 1) && HasBootSignature(sectorBuffer())) {
    const uint8_t* mbr = sectorBuffer();
    if (mbr[21] != 0 && mbr[0] == kNearJump) {
      sector = 0;
      return true;
    }
    uint8_t flag = mbr[kEntryBootFlag];
    if ((flag != kActive && flag != 0) || mbr[kEntryType] == 0) {
      sector = 0;
      return true;
    }
    uint32_t first = ReadBootRecordEntry(mbr, 0).firstSector;
    if (first == 0) {
      // The end of a partition lies on the last head of a cylinder: the
      // number of heads is one more than the last head's number.
      media.SetGeometry(static_cast<uint32_t>(mbr[kEntryEndHead]) + 1, mbr[kEntryEndSector]);
      first = media.ChsToLba(mbr[kEntryStartCylinder], mbr[kEntryStartHead], mbr[kEntryStartSector]);
    }
    if (media.ReadSectors(first, 1)) {
      sector = first;
      return HasBootSignature(sectorBuffer());
    }
  }
  for (uint32_t b = 1; b <= kLastSearchedSector && !stopRequested(); ++b) {
    if (media.ReadSectors(b, 1) && HasBootSignature(sectorBuffer()) &&
        SectorWindow(sectorBuffer(), BootSector::kBytes).le32(28) == b) {
      sector = b;
      return true;
    }
  }
  return false;
}

// The type follows from the number of clusters; a volume whose areas do not
// fit inside it, or that has no FAT or no cluster, is no volume.
bool Recovery::determineFatType() {
  const BootSector& b = bootSector;
  const uint64_t total = b.totalSectors();
  const bool marked = b.marksFat32();
  uint64_t overhead = b.reservedSectors + static_cast<uint64_t>(b.numberOfFats) * b.fatSectors(marked);
  if (marked)
    rootCluster = b.rootCluster;
  else
    overhead += b.rootDirectorySectors();
  if (b.fatSectors(marked) == 0 || overhead >= total) return false;
  clusterCount = static_cast<uint32_t>((total - overhead) / b.sectorsPerCluster);
  if (clusterCount == 0) return false;

  isFat12 = !marked && clusterCount <= kFat12Clusters;
  isFat16 = !marked && !isFat12 && clusterCount <= kFat16Clusters;
  isFat32 = !isFat12 && !isFat16;
  endOfChain = isFat12 ? 0xFFF : isFat16 ? 0xFFFF : 0x0FFFFFFF;
  // A volume typed FAT32 by its cluster count alone keeps its FAT size there.
  return b.fatSectors(isFat32) != 0;
}
