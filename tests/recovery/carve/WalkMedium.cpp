#include "WalkMedium.h"

uint64_t WalkOver(Walk walk, const std::vector<uint8_t>& file, const std::vector<uint8_t>& after, uint32_t window,
                  const Thread* worker) {
  PlacedMedium medium(kWalkAt + SectorsOf(file.size()) + 20);
  medium.Place(kWalkAt, file);
  medium.Place(kWalkAt + SectorsOf(file.size()), after);
  if (!medium.Open() || !medium.ReadWindow(kWalkAt, window)) return ~0ULL;
  return walk(*medium.media, kWalkAt, window, worker);
}

uint64_t WalkToTheEnd(Walk walk, const std::vector<uint8_t>& file) {
  PlacedMedium medium(1);
  medium.Place(kWalkAt, file);
  if (!medium.Open() || !medium.ReadWindow(kWalkAt, 1)) return ~0ULL;
  return walk(*medium.media, kWalkAt, 1, nullptr);
}
