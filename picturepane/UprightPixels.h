// Turns and mirrors a picture's pixels as its orientation tag asks, so that
// it stands upright (see ExifOrientation.h).
#pragma once

#include <cstdint>

// source: width x height top-down rows. target receives the upright
// picture, height x width for orientations 5 to 8, otherwise width x
// height; it holds width * height pixels and does not overlap source.
void WriteUpright(const uint32_t* source, uint32_t width, uint32_t height, int orientation, uint32_t* target);
