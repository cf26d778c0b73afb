// Decodes the first frame of a picture in memory with the Windows Imaging
// Component into 32-bit rows over the panel colour. Returns a PicturePane
// error code (kNoError on success).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedPicture {
  uint32_t width = 0;   // of the picture as stored in the file
  uint32_t height = 0;
  uint32_t keptWidth = 0;   // of the rows below: the picture scaled down
  uint32_t keptHeight = 0;  // to fit kLargestKeptSide
  std::vector<uint32_t> pixels;  // top-down BGRX
};

// The longest side the pane keeps of a picture: larger than a screen, so
// that a preview loses nothing, and at most 26 MB of rows.
constexpr uint32_t kLargestKeptSide = 2560;
// The most pixels a frame may have: the decoder holds the whole frame while
// the pane reads it a band at a time, three or four bytes a pixel.
constexpr uint64_t kLargestFramePixels = 64ULL * 1024 * 1024;

uint32_t DecodeWithWic(const uint8_t* data, std::size_t length, DecodedPicture& picture);
