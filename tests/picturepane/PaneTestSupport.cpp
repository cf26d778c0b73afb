#include "PaneTestSupport.h"

#include <algorithm>
#include <cstdlib>

#include "PicturePane.h"
#include "TestFiles.h"

std::string Sample(const std::string& name) { return ReadWholeFile("../samples/" + name); }

Drawing::Drawing(const PicturePane& pane, int width, int height, const RECT& target)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, 0xFF00FF) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (section == nullptr || bits == nullptr) {
    DeleteDC(dc);
    return;
  }
  HGDIOBJ old = SelectObject(dc, section);
  std::copy(pixels_.begin(), pixels_.end(), static_cast<uint32_t*>(bits));
  pane.Display(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, 0, 0, -1, -1);
  GdiFlush();
  std::copy(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + pixels_.size(), pixels_.begin());
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

COLORREF Drawing::At(int x, int y) const {
  const uint32_t p = pixels_[static_cast<std::size_t>(y) * width_ + x];
  return RGB(p >> 16 & 0xFF, p >> 8 & 0xFF, p & 0xFF);
}

bool Near(COLORREF seen, COLORREF wanted, int tolerance) {
  return std::abs(GetRValue(seen) - GetRValue(wanted)) <= tolerance &&
         std::abs(GetGValue(seen) - GetGValue(wanted)) <= tolerance &&
         std::abs(GetBValue(seen) - GetBValue(wanted)) <= tolerance;
}

::testing::AssertionResult ShowsQuarters(const std::function<COLORREF(int, int)>& at, const RECT& rect) {
  const int w = rect.right - rect.left, h = rect.bottom - rect.top;
  struct Probe {
    int x, y;
    COLORREF colour;
    const char* name;
  };
  // The corners' pixels and the middle of each quarter.
  const Probe probes[] = {
      {0, 0, kRed, "top left"},         {w - 1, 0, kLime, "top right"},
      {0, h - 1, kBlue, "bottom left"}, {w - 1, h - 1, kYellow, "bottom right"},
      {w / 4, h / 4, kRed, "quarter 1"}, {3 * w / 4, h / 4, kLime, "quarter 2"},
      {w / 4, 3 * h / 4, kBlue, "quarter 3"}, {3 * w / 4, 3 * h / 4, kYellow, "quarter 4"}};
  for (const Probe& probe : probes) {
    const COLORREF seen = at(rect.left + probe.x, rect.top + probe.y);
    if (!Near(seen, probe.colour))
      return ::testing::AssertionFailure() << probe.name << " at " << probe.x << "," << probe.y << " is RGB("
                                           << int{GetRValue(seen)} << "," << int{GetGValue(seen)} << ","
                                           << int{GetBValue(seen)} << ")";
  }
  return ::testing::AssertionSuccess();
}
