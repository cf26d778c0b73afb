// The fields of a FAT boot sector that the analysis uses, decoded from the
// sector's first 512 bytes (little-endian, at the offsets of the on-disk
// layout). Nothing here is trusted: the analysis checks every value before it
// divides by it or sizes anything with it.
#pragma once

#include <cstdint>

struct BootSector {
  static constexpr uint32_t kBytes = 512;

  uint8_t jump = 0;               // 0
  uint16_t bytesPerSector = 0;    // 11
  uint8_t sectorsPerCluster = 0;  // 13
  uint16_t reservedSectors = 0;   // 14
  uint8_t numberOfFats = 0;       // 16
  uint16_t rootEntries = 0;       // 17
  uint16_t totalSectors16 = 0;    // 19
  uint8_t mediaDescriptor = 0;    // 21
  uint16_t fatSectors16 = 0;      // 22
  uint16_t sectorsPerTrack = 0;   // 24
  uint16_t heads = 0;             // 26
  uint32_t hiddenSectors = 0;     // 28
  uint32_t totalSectors32 = 0;    // 32
  uint32_t fatSectors32 = 0;      // 36
  uint32_t rootCluster = 0;       // 44, FAT32
  bool namesFat32 = false;        // "FAT32" at 82

  // sector holds at least kBytes bytes.
  static BootSector FromBytes(const uint8_t* sector);

  // The 16-bit field, or the 32-bit one when that is 0.
  uint32_t totalSectors() const { return totalSectors16 != 0 ? totalSectors16 : totalSectors32; }
  // The marks of a FAT32 volume; the cluster count may make one FAT32 too.
  bool marksFat32() const { return fatSectors16 == 0 || namesFat32 || rootEntries == 0; }
  uint32_t fatSectors(bool fat32) const { return fat32 ? fatSectors32 : fatSectors16; }
  // The fixed root directory of FAT12 and FAT16; bytesPerSector must not be 0.
  uint32_t rootDirectorySectors() const {
    return (static_cast<uint32_t>(rootEntries) * 32 + bytesPerSector - 1) / bytesPerSector;
  }
};
