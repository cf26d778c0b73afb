// The main (or backup) boot sector of an exFAT volume, decoded from its first
// 512 bytes (little-endian, at the offsets of the on-disk layout), and the
// checks that decide whether it describes a volume that fits on the medium.
// Nothing here is trusted until check() has passed: every sum is made in 64
// bits and compared without overflowing.
#pragma once

#include <cstdint>

// Why a boot sector describes no usable volume, for a trace line.
enum class ExfatBootFault {
  kNone,
  kNoName,        // "EXFAT   " missing at 3
  kNotZeroed,     // bytes 11..63 (the FAT parameter block) not all 0
  kNoSignature,   // 55 AA missing at 510
  kSectorShift,   // bytes per sector not 512..4096
  kClusterShift,  // cluster larger than 32 MiB
  kFatCount,      // neither 1 nor 2 FATs
  kFatOutside,    // the FATs overlap the boot regions or leave the volume or the medium
  kHeapOutside,   // the cluster heap leaves the volume or the medium, or overlaps the FATs
  kClusterCount,  // no cluster, more than the heap or the FAT holds
  kRootCluster,   // not a cluster of the heap
  kUnreadable,    // the medium could not give the boot region
  kChecksum,      // the boot region's checksum sector disagrees
};
const char* ExfatBootFaultName(ExfatBootFault fault);

struct ExfatBootSector {
  static constexpr uint32_t kBytes = 512;
  static constexpr uint32_t kLargestCluster = 1u << 25;  // 32 MiB
  static constexpr uint32_t kMostClusters = 0xFFFFFFF5;  // above: FAT marks

  bool namesExfat = false;             // "EXFAT   " at 3
  bool parameterBlockZero = false;     // 11..63
  uint64_t partitionOffset = 0;        // 64
  uint64_t volumeLength = 0;           // 72, sectors
  uint32_t fatOffset = 0;              // 80, sectors from the boot sector
  uint32_t fatLength = 0;              // 84, sectors of one FAT
  uint32_t clusterHeapOffset = 0;      // 88, sectors from the boot sector
  uint32_t clusterCount = 0;           // 92
  uint32_t rootCluster = 0;            // 96
  uint32_t volumeSerial = 0;           // 100
  uint16_t revision = 0;               // 104, major in the high byte
  uint16_t volumeFlags = 0;            // 106
  uint8_t bytesPerSectorShift = 0;     // 108
  uint8_t sectorsPerClusterShift = 0;  // 109
  uint8_t numberOfFats = 0;            // 110
  uint8_t percentInUse = 0;            // 112, 0xFF: not known
  uint16_t signature = 0;              // 510

  // sector holds at least kBytes bytes.
  static ExfatBootSector FromBytes(const uint8_t* sector);

  // mediumSectors: how many sectors of this volume's size the medium holds
  // from the boot sector on. kNone when the volume is sound and fits.
  ExfatBootFault check(uint64_t mediumSectors) const;

  // Meaningful once check() has passed.
  uint32_t bytesPerSector() const { return 1u << bytesPerSectorShift; }
  uint32_t sectorsPerCluster() const { return 1u << sectorsPerClusterShift; }
  uint64_t bytesPerCluster() const { return static_cast<uint64_t>(bytesPerSector()) << sectorsPerClusterShift; }
  // The first sector (from the boot sector) of cluster c, 2 the first.
  uint64_t clusterSector(uint32_t c) const {
    return clusterHeapOffset + (static_cast<uint64_t>(c - 2) << sectorsPerClusterShift);
  }
  bool activeFatIsSecond() const { return (volumeFlags & 1) != 0; }
  bool volumeDirty() const { return (volumeFlags & 2) != 0; }
};
