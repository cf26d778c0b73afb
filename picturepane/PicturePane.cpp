#include "PicturePane.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "DecoderInput.h"
#include "EmbeddedPreview.h"
#include "ExifOrientation.h"
#include "RelatedPicture.h"
#include "UprightPixels.h"
#include "WicDecoder.h"

namespace {

// More than any photo a card holds; the copy step reads at most 10 MB.
constexpr uint32_t kLargestData = 64 * 1024 * 1024;

// A 32-bit top-down section holding the upright picture; null on failure.
HBITMAP UprightSection(const DecodedPicture& picture, int orientation) {
  const bool swapped = SwapsSides(orientation);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = static_cast<LONG>(swapped ? picture.keptHeight : picture.keptWidth);
  info.bmiHeader.biHeight = -static_cast<LONG>(swapped ? picture.keptWidth : picture.keptHeight);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr || bits == nullptr) {
    if (section != nullptr) DeleteObject(section);
    return nullptr;
  }
  WriteUpright(picture.pixels.data(), picture.keptWidth, picture.keptHeight, orientation,
               static_cast<uint32_t*>(bits));
  GdiFlush();
  return section;
}

}  // namespace

PicturePane::PicturePane() = default;

PicturePane::~PicturePane() { Release(); }

void PicturePane::Release() {
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  storedWidth_ = storedHeight_ = width_ = height_ = 0;
}

bool PicturePane::Fail(uint32_t code, const char* text) {
  errorCode_ = code;
  std::strncpy(errorText_, text, sizeof errorText_ - 1);
  errorText_[sizeof errorText_ - 1] = '\0';
  return false;
}

// No exception may leave the library: a picture too large for the memory
// that is left fails as any other.
bool PicturePane::LoadPicture(const void* data, uint32_t length, bool) {
  Release();
  errorCode_ = kNoError;
  errorText_[0] = '\0';
  if (data == nullptr || length == 0 || length > kLargestData) return Fail(kNoData, "No picture data");
  try {
    const SectorWindow whole(static_cast<const uint8_t*>(data), length);
    if (relatedFileOption_ != 0) {
      const std::string related = RelatedPictureName(whole);
      if (!related.empty()) return Fail(kRelatedFile, related.c_str());
    }
    PreviewRange preview = {0, length};
    FindEmbeddedPreview(whole, preview);
    const std::vector<uint8_t> input = DecoderInput(SectorWindow(whole.data() + preview.offset, preview.length));
    DecodedPicture picture;
    const uint32_t code = DecodeWithWic(input.data(), input.size(), picture);
    if (code != kNoError) return Fail(code, "The picture cannot be decoded");
    const int orientation = ExifOrientation(whole);
    bitmap_ = UprightSection(picture, orientation);
    if (bitmap_ == nullptr) return Fail(kNoResources, "No memory for the picture");
    const bool swapped = SwapsSides(orientation);
    width_ = static_cast<uint16_t>(swapped ? picture.height : picture.width);
    height_ = static_cast<uint16_t>(swapped ? picture.width : picture.height);
    storedWidth_ = static_cast<uint16_t>(swapped ? picture.keptHeight : picture.keptWidth);
    storedHeight_ = static_cast<uint16_t>(swapped ? picture.keptWidth : picture.keptHeight);
    return true;
  } catch (const std::exception&) {
    Release();
    return Fail(kNoResources, "No memory for the picture");
  }
}

bool PicturePane::Display(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
                          int sourceHeight) const {
  if (bitmap_ == nullptr || dc == nullptr || width <= 0 || height <= 0) return false;
  if (sourceWidth < 0) sourceWidth = width_ - sourceX;
  if (sourceHeight < 0) sourceHeight = height_ - sourceY;
  if (sourceX < 0 || sourceY < 0 || sourceWidth <= 0 || sourceHeight <= 0 || sourceX + sourceWidth > width_ ||
      sourceY + sourceHeight > height_)
    return false;
  // The source rectangle is in picture pixels; the section may be smaller.
  const auto toKept = [](int value, int kept, int full) { return static_cast<int>(int64_t{value} * kept / full); };
  const int keptX = toKept(sourceX, storedWidth_, width_), keptY = toKept(sourceY, storedHeight_, height_);
  const int keptWidth = std::max(1, toKept(sourceWidth, storedWidth_, width_));
  const int keptHeight = std::max(1, toKept(sourceHeight, storedHeight_, height_));
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return false;
  HGDIOBJ old = SelectObject(memory, bitmap_);
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, x, y, x + width, y + height);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  const BOOL drawn = StretchBlt(dc, x, y, width, height, memory, keptX, keptY, keptWidth, keptHeight, SRCCOPY);
  RestoreDC(dc, saved);
  SelectObject(memory, old);
  DeleteDC(memory);
  return drawn != FALSE;
}
