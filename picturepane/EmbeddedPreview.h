// The JPEG preview inside a camera raw file built on TIFF (CR2, NEF, ARW,
// DNG, PEF, ORF, RW2 and the like): the raw sensor data itself cannot be
// shown, the preview the camera stored beside it can.
#pragma once

#include <cstddef>

#include "SectorWindow.h"

struct PreviewRange {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The largest JPEG that a directory of the file points at (through the
// JPEG offset and length tags, or as the one strip of a directory), looked
// for in the first directories and their sub-directories. False when the
// data is not TIFF-structured or points at no JPEG inside itself.
bool FindEmbeddedPreview(const SectorWindow& data, PreviewRange& preview);
