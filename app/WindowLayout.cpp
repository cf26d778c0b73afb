#include "WindowLayout.h"

#include <algorithm>

namespace {

bool Contains(const RECT& rect, POINT point) { return PtInRect(&rect, point) != FALSE; }

// One component of a band's colour, exact in integers: the top value less
// band * 100 / bands, truncated (the value stays positive, so the integer
// division truncates), and not below the bottom value.
int BandComponent(int top, int bottom, int band, int bands) {
  return std::max(bottom, (top * bands - 100 * band) / bands);
}

}  // namespace

WindowLayout::WindowLayout(int width, int height, SIZE logoSize, int titleHeight) : width(width), height(height) {
  close = {width - 27, 10, width - 10, 27};
  minimise = {width - 49, 10, width - 32, 27};
  help = {width - 71, 10, width - 54, 27};
  UnionRect(&buttons, &close, &minimise);
  UnionRect(&buttons, &buttons, &help);
  logo = {5, 5, 5 + logoSize.cx, 5 + logoSize.cy};

  int y = 10;
  if (titleHeight < logoSize.cy) y = std::min(static_cast<int>(logoSize.cy - titleHeight) / 2 + 10, kTitleLineTop - titleHeight);
  productName = {logoSize.cx + 20, y};
}

WindowPart WindowLayout::PartAt(POINT point) const {
  if (Contains(close, point)) return WindowPart::kClose;
  if (Contains(help, point)) return WindowPart::kHelp;
  if (Contains(minimise, point)) return WindowPart::kMinimise;
  if (Contains(logo, point)) return WindowPart::kLogo;
  return WindowPart::kNothing;
}

LRESULT WindowLayout::HitTest(POINT point) const {
  if (Contains(buttons, point) || Contains(logo, point)) return HTCLIENT;
  return point.y < kCaptionBandHeight ? HTCAPTION : HTCLIENT;
}

int GradientBandCount(int height) { return std::max(1, (height - 30) / kGradientBand); }

COLORREF GradientBandColour(int band, int height) {
  int bands = GradientBandCount(height);
  return RGB(BandComponent(204, 104, band, bands), BandComponent(209, 109, band, bands),
             BandComponent(194, 94, band, bands));
}
