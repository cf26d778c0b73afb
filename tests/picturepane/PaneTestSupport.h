// Helpers of the picture library's suites: the sample pictures, a picture
// drawn into memory, and the colours of the four-quarter test pictures.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class PicturePane;

// The bytes of a sample file made by scripts/make-samples.sh.
std::string Sample(const std::string& name);

// What Display draws into a width x height bitmap cleared to magenta: the
// whole bitmap, or the target rectangle.
class Drawing {
 public:
  Drawing(const PicturePane& pane, int width, int height) : Drawing(pane, width, height, {0, 0, width, height}) {}
  Drawing(const PicturePane& pane, int width, int height, const RECT& target);
  COLORREF At(int x, int y) const;
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_, height_;
  std::vector<uint32_t> pixels_;
};

// Each channel within tolerance of the colour (JPEG blurs edges and shades).
bool Near(COLORREF seen, COLORREF wanted, int tolerance = 48);

constexpr COLORREF kRed = RGB(255, 0, 0), kLime = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kYellow = RGB(255, 255, 0), kMagenta = RGB(255, 0, 255);

// The quarters (red, lime / blue, yellow) show upright in the rectangle.
::testing::AssertionResult ShowsQuarters(const std::function<COLORREF(int, int)>& at, const RECT& rect);
