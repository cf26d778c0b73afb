#include "Bitmaps.h"

#include <cstdint>
#include <cstring>
#include <vector>

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

namespace {

// A DIB pixel is 0x00RRGGBB, a COLORREF 0x00BBGGRR.
uint32_t PixelOf(COLORREF colour) { return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour); }

}  // namespace

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP description = {};
  if (bitmap == nullptr || GetObjectA(bitmap, sizeof description, &description) == 0) return SIZE{0, 0};
  return SIZE{description.bmWidth, description.bmHeight};
}

HBITMAP LoadBitmapFile(const char* path) {
  return static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

HBITMAP CopyReplacingColour(HBITMAP bitmap, COLORREF from, COLORREF to) {
  SIZE size = BitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  BITMAPINFO info = TopDown32(size.cx, size.cy);
  std::vector<uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, bitmap, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != size.cy) return nullptr;

  const uint32_t match = PixelOf(from), replacement = PixelOf(to);
  for (uint32_t& pixel : pixels)
    if ((pixel & 0xFFFFFF) == match) pixel = replacement;

  void* bits = nullptr;
  HBITMAP copy = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (copy == nullptr) return nullptr;
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  return copy;
}
