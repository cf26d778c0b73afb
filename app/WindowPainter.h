// Paints the main window, in seven steps from the back to the front: the
// lower corners, the background gradient, the dark strip at the bottom, the
// caption buttons, the logo and banner, the product name, the outlines.
#pragma once

#include <windows.h>

#include "Palette.h"
#include "WindowLayout.h"

struct WindowPictures {
  HBITMAP banner = nullptr;
  SIZE bannerSize = {};
  HBITMAP logo = nullptr;
  SIZE logoSize = {};
};

class WindowPainter {
 public:
  WindowPainter(HDC dc, const WindowLayout& layout, const Palette& palette, const WindowPictures& pictures);
  virtual ~WindowPainter();

  void Paint(const char* productName);

 private:
  void LowerCorners();
  void Gradient();
  void Strip();
  void CaptionButtons();
  void LogoAndBanner();
  void ProductName(const char* name);
  void Outlines();
  void DrawBitmap(HBITMAP bitmap, SIZE size, int x, int y);
  void DrawLines(HPEN pen, const POINT* points, int count);

  HDC dc_;
  const WindowLayout& layout_;
  const Palette& palette_;
  const WindowPictures& pictures_;
  HDC memory_;
  int savedState_;
};
