// The boot region of an exFAT volume: 12 sectors (boot sector, 8 extended
// boot sectors, OEM parameters, a reserved sector and a sector repeating the
// region's checksum), kept twice, the backup right after the main one. The
// main region is used when its boot sector passes its checks and its
// checksum matches; otherwise the backup, under the same tests.
//
// Convention: a reader returns whether it gave all the bytes asked for.
#pragma once

#include <cstdint>
#include <functional>

#include "ExfatBootSector.h"

class Media;

// Reads bytes [offset, offset + count) of the medium into into.
using ExfatByteReader = std::function<bool(uint64_t offset, uint32_t count, uint8_t* into)>;

// A reader over the sectors of media, through its buffer.
ExfatByteReader MediaByteReader(Media& media);

enum class ExfatBootCopy { kNone, kMain, kBackup };

struct ExfatBootRegion {
  static constexpr uint32_t kSectors = 12;
  static constexpr uint32_t kChecksumSector = 11;

  ExfatBootSector boot;  // of the copy used
  ExfatBootCopy used = ExfatBootCopy::kNone;
  ExfatBootFault mainFault = ExfatBootFault::kNone;
  ExfatBootFault backupFault = ExfatBootFault::kNone;
  uint32_t checksum = 0;  // of the copy used
};

// The checksum of the first 11 sectors of a region of bytesPerSector-byte
// sectors; bytes 106, 107 (volume flags) and 112 (percent in use) of the boot
// sector are left out, since they change without the region being rewritten.
uint32_t ExfatBootChecksum(const uint8_t* region, uint32_t bytesPerSector);

// The region whose boot sector lies at byte volumeStart of a medium of
// mediumBytes bytes. used is kNone when neither copy passes; the faults say
// why each was refused.
ExfatBootRegion ReadExfatBootRegion(const ExfatByteReader& read, uint64_t volumeStart, uint64_t mediumBytes);
