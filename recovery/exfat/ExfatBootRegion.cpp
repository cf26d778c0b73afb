#include "ExfatBootRegion.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Media.h"
#include "SectorWindow.h"

namespace {

constexpr uint32_t kSmallestSectorShift = 9;
constexpr uint32_t kLargestSectorShift = 12;

// Every 4-byte word of the checksum sector holds the checksum.
bool ChecksumSectorHolds(const uint8_t* sector, uint32_t bytesPerSector, uint32_t checksum) {
  SectorWindow w(sector, bytesPerSector);
  for (uint32_t at = 0; at < bytesPerSector; at += 4)
    if (w.le32(at) != checksum) return false;
  return true;
}

// The copy whose boot sector is at byte start of the volume at volumeStart;
// kNone into fault when it is sound. wantedShift, when not 0, is the sector
// shift the copy must give (the backup is looked for one region of that
// sector size further on).
bool ReadCopy(const ExfatByteReader& read, uint64_t volumeStart, uint64_t start, uint64_t mediumBytes,
              uint32_t wantedShift, ExfatBootRegion& region, ExfatBootFault& fault) {
  uint8_t first[ExfatBootSector::kBytes];
  if (start > mediumBytes || mediumBytes - start < sizeof first || !read(start, sizeof first, first)) {
    fault = ExfatBootFault::kUnreadable;
    return false;
  }
  const ExfatBootSector boot = ExfatBootSector::FromBytes(first);
  // The shift is checked before it sizes anything.
  const uint32_t shift = boot.bytesPerSectorShift;
  if (shift < kSmallestSectorShift || shift > kLargestSectorShift || (wantedShift != 0 && shift != wantedShift)) {
    fault = boot.namesExfat ? ExfatBootFault::kSectorShift : ExfatBootFault::kNoName;
    return false;
  }
  // The copy's offsets count from the volume's start, whichever copy it is.
  fault = boot.check((mediumBytes - volumeStart) >> shift);
  if (fault != ExfatBootFault::kNone) return false;
  const uint32_t bytes = boot.bytesPerSector();
  std::vector<uint8_t> sectors(static_cast<std::size_t>(bytes) * ExfatBootRegion::kSectors);
  if (mediumBytes - start < sectors.size() || !read(start, static_cast<uint32_t>(sectors.size()), sectors.data())) {
    fault = ExfatBootFault::kUnreadable;
    return false;
  }
  const uint32_t checksum = ExfatBootChecksum(sectors.data(), bytes);
  if (!ChecksumSectorHolds(&sectors[static_cast<std::size_t>(bytes) * ExfatBootRegion::kChecksumSector], bytes,
                           checksum)) {
    fault = ExfatBootFault::kChecksum;
    return false;
  }
  region.boot = boot;
  region.checksum = checksum;
  return true;
}

}  // namespace

uint32_t ExfatBootChecksum(const uint8_t* region, uint32_t bytesPerSector) {
  const uint64_t bytes = static_cast<uint64_t>(bytesPerSector) * ExfatBootRegion::kChecksumSector;
  uint32_t sum = 0;
  for (uint64_t i = 0; i < bytes; ++i) {
    if (i == 106 || i == 107 || i == 112) continue;
    sum = ((sum & 1) != 0 ? 0x80000000u : 0) + (sum >> 1) + region[i];
  }
  return sum;
}

ExfatBootRegion ReadExfatBootRegion(const ExfatByteReader& read, uint64_t volumeStart, uint64_t mediumBytes) {
  ExfatBootRegion region;
  if (ReadCopy(read, volumeStart, volumeStart, mediumBytes, 0, region, region.mainFault)) {
    region.used = ExfatBootCopy::kMain;
    return region;
  }
  // The main boot sector may be what is damaged, sector size and all: the
  // backup is looked for at each sector size in turn.
  region.backupFault = ExfatBootFault::kUnreadable;
  for (uint32_t shift = kSmallestSectorShift; shift <= kLargestSectorShift; ++shift) {
    const uint64_t backup = static_cast<uint64_t>(ExfatBootRegion::kSectors) << shift;
    ExfatBootFault fault = ExfatBootFault::kNone;
    if (volumeStart > UINT64_MAX - backup) break;
    if (ReadCopy(read, volumeStart, volumeStart + backup, mediumBytes, shift, region, fault)) {
      region.used = ExfatBootCopy::kBackup;
      region.backupFault = ExfatBootFault::kNone;
      return region;
    }
    // The most telling fault: that of a readable copy which named itself
    // with this sector size, else that of the 512-byte place.
    const bool telling = fault != ExfatBootFault::kNoName && fault != ExfatBootFault::kSectorShift &&
                         fault != ExfatBootFault::kUnreadable;
    if (shift == kSmallestSectorShift || telling) region.backupFault = fault;
  }
  return region;
}

ExfatByteReader MediaByteReader(Media& media) {
  return [&media](uint64_t offset, uint32_t count, uint8_t* into) {
    const uint32_t size = media.sectorSize;
    if (size == 0) return false;
    while (count > 0) {
      const uint64_t sector = offset / size;
      const uint32_t skip = static_cast<uint32_t>(offset % size);
      const uint64_t wanted = (static_cast<uint64_t>(skip) + count + size - 1) / size;
      const uint32_t sectors = static_cast<uint32_t>(std::min<uint64_t>(wanted, Media::kMaxSectorsPerRead));
      // Sector numbers of the medium are 32 bits wide.
      if (sector + sectors - 1 > UINT32_MAX) return false;
      if (!media.ReadSectors(static_cast<uint32_t>(sector), sectors)) return false;
      const uint32_t part = std::min<uint32_t>(count, sectors * size - skip);
      std::memcpy(into, media.buffer + skip, part);
      into += part;
      offset += part;
      count -= part;
    }
    return true;
  };
}
