// Which sectors of the medium a found file claims: one bit per sector, so
// that the sector search leaves them alone. Sector s is bit 0x80 >> (s & 7)
// of byte s / 8. Nothing outside the map is ever claimed or read.
#pragma once

#include <cstdint>
#include <vector>

class File;

class UsedSectorMap {
 public:
  void allocate(uint32_t bytes);
  // One bit for every sector the medium numbers (sector numbers are 32-bit).
  void allocateForSectors(uint64_t sectorCount);

  // False, changing nothing, for a range whose end lies in the last byte of
  // the map or beyond it.
  bool markUsed(uint32_t first, uint32_t count);
  bool isUsed(uint32_t sector) const;
  // How many of the count sectors from first are not used, counted from
  // first up to the first used one.
  uint64_t unusedSectorsFrom(uint64_t first, uint64_t count) const;
  // Gives the file's sectors free again.
  void release(const File& file);

  const std::vector<uint8_t>& bits() const { return bits_; }

 private:
  std::vector<uint8_t> bits_;
};
