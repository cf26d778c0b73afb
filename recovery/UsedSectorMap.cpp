#include "UsedSectorMap.h"

#include <algorithm>
#include <cstring>

#include "File.h"

namespace {
uint8_t Bit(uint64_t sector) { return static_cast<uint8_t>(0x80 >> (sector & 7)); }
}  // namespace

void UsedSectorMap::allocate(uint32_t bytes) { bits_.assign(bytes, 0); }

void UsedSectorMap::allocateForSectors(uint64_t sectorCount) {
  const uint64_t sectors = std::min<uint64_t>(sectorCount, UINT32_MAX);
  allocate(static_cast<uint32_t>(sectors / 8 + 8));
}

bool UsedSectorMap::markUsed(uint32_t first, uint32_t count) {
  const uint64_t end = static_cast<uint64_t>(first) + count;
  if (end / 8 >= bits_.size()) return false;
  uint64_t s = first;
  for (; s < end && (s & 7) != 0; ++s) bits_[s / 8] |= Bit(s);
  const uint64_t wholeBytes = (end - s) / 8;
  std::memset(&bits_[s / 8], 0xFF, wholeBytes);
  for (s += wholeBytes * 8; s < end; ++s) bits_[s / 8] |= Bit(s);
  return true;
}

bool UsedSectorMap::isUsed(uint32_t sector) const {
  if (sector / 8 >= bits_.size()) return false;
  return (bits_[sector / 8] & Bit(sector)) != 0;
}

uint64_t UsedSectorMap::unusedSectorsFrom(uint64_t first, uint64_t count) const {
  const uint64_t mapSectors = static_cast<uint64_t>(bits_.size()) * 8;
  const uint64_t end = first + count;
  uint64_t s = first;
  while (s < end && s < mapSectors) {
    // Whole bytes of free sectors at once: a long free stretch costs little.
    if ((s & 7) == 0 && bits_[s / 8] == 0 && end - s >= 8) {
      s += 8;
      continue;
    }
    if ((bits_[s / 8] & Bit(s)) != 0) return s - first;
    ++s;
  }
  return count;
}

void UsedSectorMap::release(const File& file) {
  const uint64_t mapSectors = static_cast<uint64_t>(bits_.size()) * 8;
  for (const SectorRun& run : file.runs) {
    const uint64_t end = std::min<uint64_t>(static_cast<uint64_t>(run.first) + run.count, mapSectors);
    for (uint64_t s = run.first; s < end; ++s) bits_[s / 8] &= static_cast<uint8_t>(~Bit(s));
  }
}
