// The orientation a camera wrote into its picture (the TIFF/EXIF tag 0x0112):
// 1 upright, 2 mirrored, 3 turned half round, 4 flipped, 5 to 8 lying on a
// side (6: turn a quarter clockwise to stand upright, 8: anticlockwise).
#pragma once

#include "SectorWindow.h"

// Read from a JPEG's EXIF segment or a TIFF's first directory; 1 when the
// data has none or a value outside 1..8.
int ExifOrientation(const SectorWindow& data);

// Orientations 5 to 8 swap width and height.
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }
