// The size a picture's header claims, read before any decoder sees the data:
// decoders allocate the whole frame at once, so a damaged header claiming
// billions of pixels must be turned away first.
#pragma once

#include <cstdint>

#include "SectorWindow.h"

struct ClaimedSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

// False when the format (JPEG, PNG, GIF, BMP, TIFF) is not recognised or
// its header is cut off; the size may then still be refused by the decoder.
bool ReadClaimedSize(const SectorWindow& data, ClaimedSize& size);
