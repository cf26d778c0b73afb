// The entries of an exFAT directory, decoded once. A directory is a row of
// 32-byte entries; a file or folder is an entry set: a File entry (0x85), its
// Stream Extension (0xC0) and File Name entries (0xC1, 15 UTF-16 units
// each), perhaps more secondary entries, under one checksum. Deleting clears
// the in-use bit (0x80) of every entry and leaves the rest whole, so a
// deleted set (0x05, 0x40, 0x41) parses like a live one. The allocation
// bitmap (0x81) and the volume label (0x83) are single entries.
//
// Every count read from an entry is bounded by the window the set lies in.
#pragma once

#include <cstdint>
#include <string>

#include "SectorWindow.h"

namespace exfat_entry {
constexpr uint32_t kBytes = 32;
constexpr uint8_t kEndOfDirectory = 0x00;
constexpr uint8_t kInUse = 0x80;
constexpr uint8_t kAllocationBitmap = 0x81;
constexpr uint8_t kVolumeLabel = 0x83;
constexpr uint8_t kFile = 0x85;
constexpr uint8_t kStreamExtension = 0xC0;
constexpr uint8_t kFileName = 0xC1;
}  // namespace exfat_entry

// Why entries at some place are no entry set, for a trace line.
enum class ExfatSetFault {
  kNone,
  kNotAFile,        // entry 0 is no File entry, live or deleted
  kSecondaryCount,  // not 2..18
  kRunsPast,        // the set runs past the window
  kMixedState,      // some entries in use, some not
  kNoStream,        // entry 1 is no Stream Extension
  kNameLength,      // the name's length is 0
  kNameEntries,     // the name needs more File Name entries than the set has
  kNotSecondary,    // an entry of the set is a primary entry
  kChecksum,        // the set checksum disagrees
  kValidLength,     // more valid data than data
};
const char* ExfatSetFaultName(ExfatSetFault fault);

// A File entry set with its stream and name; times as file times (0 when
// not a calendar time), in the local time of the camera that wrote them.
struct ExfatFileSet {
  static constexpr uint32_t kLeastSecondaries = 2;
  static constexpr uint32_t kMostSecondaries = 18;
  static constexpr uint32_t kNameUnitsPerEntry = 15;

  bool deleted = false;
  uint32_t entries = 0;      // 1 + secondary count: the slots the set takes
  uint16_t setChecksum = 0;  // 2
  uint16_t attributes = 0;   // 4
  uint64_t created = 0;      // 8, 20, 22
  uint64_t modified = 0;     // 12, 21, 23
  uint64_t accessed = 0;     // 16, 24
  // The Stream Extension.
  uint8_t streamFlags = 0;       // 1
  uint8_t nameLength = 0;        // 3
  uint16_t nameHash = 0;         // 4
  uint64_t validDataLength = 0;  // 8
  uint32_t firstCluster = 0;     // 20
  uint64_t dataLength = 0;       // 24
  std::u16string name;           // nameLength units from the File Name entries

  bool isDirectory() const { return (attributes & 0x10) != 0; }
  bool allocationPossible() const { return (streamFlags & 1) != 0; }
  // The clusters follow one another and the FAT holds nothing for them.
  bool noFatChain() const { return (streamFlags & 2) != 0; }
};

// The 16-bit checksum of the count entries from the window's offset,
// skipping bytes 2 and 3 (where it is kept); the window holds them all.
// asLive: with every entry's in-use bit set, as the set was before a driver
// deleted it without sealing it again.
uint16_t ExfatSetChecksum(const SectorWindow& window, uint64_t offset, uint32_t count, bool asLive = false);

// The set whose File entry lies at offset in window.
ExfatSetFault ParseExfatFileSet(const SectorWindow& window, uint64_t offset, ExfatFileSet& set);

struct ExfatBitmapEntry {
  uint8_t flags = 0;          // 1; bit 0: the bitmap of the second FAT
  uint32_t firstCluster = 0;  // 20
  uint64_t dataLength = 0;    // 24, bytes

  static ExfatBitmapEntry FromBytes(const SectorWindow& window, uint64_t offset);
};

struct ExfatLabelEntry {
  static constexpr uint32_t kMostUnits = 11;
  std::u16string label;  // 2, as many units as the count at 1 says, up to 11

  static ExfatLabelEntry FromBytes(const SectorWindow& window, uint64_t offset);
};
