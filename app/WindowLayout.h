// Where things sit in the main window, in client coordinates: the three
// caption buttons, the logo, the product name and the gradient bands. The
// window paints, hit-tests and answers clicks from this one description.
#pragma once

#include <windows.h>

// Height of the top band by which the window is dragged.
constexpr int kCaptionBandHeight = 70;
// The title line of the current step sits at this height.
constexpr int kTitleLineTop = 47;
constexpr int kTitleLineWidth = 200;
constexpr int kTitleLineHeight = 18;
// Height of each band of the background gradient.
constexpr int kGradientBand = 10;

enum class WindowPart { kNothing, kClose, kMinimise, kHelp, kLogo };

struct WindowLayout {
  WindowLayout() = default;
  WindowLayout(int width, int height, SIZE logo, int titleHeight);

  // The part that a click at a client point hits.
  WindowPart PartAt(POINT point) const;
  // The WM_NCHITTEST answer: the buttons and the logo are client area, the
  // rest of the top band is caption, everything else client area.
  LRESULT HitTest(POINT point) const;

  int width = 0, height = 0;
  RECT close = {}, minimise = {}, help = {}, buttons = {};
  RECT logo = {};
  POINT productName = {};  // its shadow sits one pixel right and down
};

// Number of gradient bands over the painted height (height - 30).
int GradientBandCount(int height);

// Colour of gradient band k: (204, 209, 194) less k * 100 / (bands of the
// whole height), truncated, never darker than (104, 109, 94).
COLORREF GradientBandColour(int band, int height);
