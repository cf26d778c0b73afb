// A walk run on a medium laid out for it: the file at a sector among random
// bytes with chosen bytes after it, or the file as the medium's last bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "PlacedMedium.h"

class Thread;

using Walk = uint64_t (*)(Media&, uint32_t, uint32_t, const Thread*);

constexpr uint32_t kWalkAt = 3;  // the file's first sector

inline uint32_t SectorsOf(std::size_t bytes) {
  return static_cast<uint32_t>((bytes + PlacedMedium::kSector - 1) / PlacedMedium::kSector);
}

// The walk on a medium that holds file at kWalkAt and then after; window is
// how many sectors the buffer holds when the walk begins. ~0 when the medium
// cannot be read.
uint64_t WalkOver(Walk walk, const std::vector<uint8_t>& file, const std::vector<uint8_t>& after,
                  uint32_t window = 12, const Thread* worker = nullptr);

// The file as the medium's last bytes: the walk would have to read past it.
uint64_t WalkToTheEnd(Walk walk, const std::vector<uint8_t>& file);
