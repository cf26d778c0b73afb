// The master boot record in a device's sector 0: the 55 AA signature at byte
// 510 and four 16-byte partition entries from byte 446. Every function reads
// a sector of at least kBootRecordBytes bytes and nothing beyond it.
#pragma once

#include <cstdint>
#include <vector>

#include "Device.h"

constexpr uint32_t kBootRecordBytes = 512;
constexpr int kBootRecordEntries = 4;

// One 16-byte entry, offsets within the entry beside each field. The CHS
// bytes are kept as stored: sector in the low 6 bits, the cylinder's top two
// bits above it.
struct BootRecordEntry {
  uint8_t bootFlag = 0;       // 0: 0x80 active, 0x00 not
  uint8_t startHead = 0;      // 1
  uint8_t startSector = 0;    // 2
  uint8_t startCylinder = 0;  // 3
  uint8_t type = 0;           // 4
  uint8_t endHead = 0;        // 5
  uint8_t endSector = 0;      // 6
  uint32_t firstSector = 0;   // 8
  uint32_t sectorCount = 0;   // 12
};

inline uint32_t LittleEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool HasBootSignature(const uint8_t* sector);

// Entry index 0..3.
BootRecordEntry ReadBootRecordEntry(const uint8_t* sector, int index);

// The partition table as the platform's layout query reports it for a disk
// with a master boot record: the four primary entries in table order, in
// bytes of sectorSize-byte sectors. False when the sector holds no partition
// table: no signature, or a boot flag other than 0x00 and 0x80 (a FAT boot
// sector of an unpartitioned medium also ends in 55 AA).
bool LayoutFromBootRecord(const uint8_t* sector, uint32_t sectorSize, std::vector<PartitionEntry>& entries);
