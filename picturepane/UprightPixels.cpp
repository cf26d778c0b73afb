#include "UprightPixels.h"

#include <cstddef>

#include "ExifOrientation.h"

namespace {

struct Point {
  uint32_t x, y;
};

// Where the pixel at (u, v) of the upright picture lies in the stored one.
Point StoredPoint(uint32_t u, uint32_t v, uint32_t width, uint32_t height, int orientation) {
  switch (orientation) {
    case 2: return {width - 1 - u, v};
    case 3: return {width - 1 - u, height - 1 - v};
    case 4: return {u, height - 1 - v};
    case 5: return {v, u};
    case 6: return {v, height - 1 - u};
    case 7: return {width - 1 - v, height - 1 - u};
    case 8: return {width - 1 - v, u};
    default: return {u, v};
  }
}

}  // namespace

void WriteUpright(const uint32_t* source, uint32_t width, uint32_t height, int orientation, uint32_t* target) {
  const bool swapped = SwapsSides(orientation);
  const uint32_t uprightWidth = swapped ? height : width;
  const uint32_t uprightHeight = swapped ? width : height;
  for (uint32_t v = 0; v < uprightHeight; ++v) {
    uint32_t* row = target + static_cast<std::size_t>(v) * uprightWidth;
    for (uint32_t u = 0; u < uprightWidth; ++u) {
      const Point stored = StoredPoint(u, v, width, height, orientation);
      row[u] = source[static_cast<std::size_t>(stored.y) * width + stored.x];
    }
  }
}
