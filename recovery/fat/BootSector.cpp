#include "BootSector.h"

#include "SectorWindow.h"

BootSector BootSector::FromBytes(const uint8_t* sector) {
  SectorWindow w(sector, kBytes);
  BootSector b;
  b.jump = w.u8(0);
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
