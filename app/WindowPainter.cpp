#include "WindowPainter.h"

#include <cstring>

WindowPainter::WindowPainter(HDC dc, const WindowLayout& layout, const Palette& palette,
                             const WindowPictures& pictures)
    : dc_(dc),
      layout_(layout),
      palette_(palette),
      pictures_(pictures),
      memory_(CreateCompatibleDC(dc)),
      savedState_(SaveDC(dc)) {}

WindowPainter::~WindowPainter() {
  RestoreDC(dc_, savedState_);
  if (memory_ != nullptr) DeleteDC(memory_);
}

void WindowPainter::Paint(const char* productName) {
  LowerCorners();
  Gradient();
  Strip();
  CaptionButtons();
  LogoAndBanner();
  ProductName(productName);
  Outlines();
}

// Dark quarter discs behind the curved corners, each with an olive and a
// yellow arc that continue the outlines round the corner.
void WindowPainter::LowerCorners() {
  const int w = layout_.width, h = layout_.height;
  SelectObject(dc_, palette_.DarkBrush());
  SelectObject(dc_, palette_.NullPen());
  Ellipse(dc_, 0, h - 60, 60, h);
  Ellipse(dc_, w - 60, h - 60, w - 1, h - 1);

  SetArcDirection(dc_, AD_COUNTERCLOCKWISE);
  SelectObject(dc_, palette_.OlivePen());
  Arc(dc_, 0, h - 60, 60, h, 0, h - 30, 30, h);
  Arc(dc_, w - 60, h - 60, w - 1, h - 1, w - 30, h - 1, w - 1, h - 30);
  SelectObject(dc_, palette_.YellowPen());
  Arc(dc_, 1, h - 63, 61, h - 3, 1, h - 28, 30, h - 1);
  Arc(dc_, w - 61, h - 61, w - 3, h - 3, w - 30, h - 3, w - 3, h - 30);
}

void WindowPainter::Gradient() {
  const int bottom = layout_.height - 30;
  for (int band = 0; band * kGradientBand < bottom; ++band) {
    RECT rect = {3, band * kGradientBand, layout_.width - 3, (band + 1) * kGradientBand};
    if (rect.bottom > bottom) rect.bottom = bottom;
    HBRUSH brush = CreateSolidBrush(GradientBandColour(band, layout_.height));
    FillRect(dc_, &rect, brush);
    DeleteObject(brush);
  }
}

void WindowPainter::Strip() {
  RECT strip = {30, layout_.height - 30, layout_.width - 30, layout_.height - 5};
  FillRect(dc_, &strip, palette_.DarkBrush());
}

void WindowPainter::CaptionButtons() {
  SelectObject(dc_, palette_.DarkGreyPen());

  const RECT& close = layout_.close;
  SelectObject(dc_, palette_.RedBrush());
  Rectangle(dc_, close.left, close.top, close.right, close.bottom);
  MoveToEx(dc_, close.left + 2, close.top + 2, nullptr);
  LineTo(dc_, close.right - 4, close.bottom - 4);
  MoveToEx(dc_, close.left + 2, close.bottom - 4, nullptr);
  LineTo(dc_, close.right - 4, close.top + 2);

  const RECT& minimise = layout_.minimise;
  SelectObject(dc_, palette_.PanelBrush());
  Rectangle(dc_, minimise.left, minimise.top, minimise.right, minimise.bottom);
  MoveToEx(dc_, minimise.left + 3, minimise.bottom - 6, nullptr);
  LineTo(dc_, minimise.right - 5, minimise.bottom - 6);

  const RECT& help = layout_.help;
  Rectangle(dc_, help.left, help.top, help.right, help.bottom);
  SelectObject(dc_, palette_.UiFont());
  SetTextColor(dc_, RGB(64, 64, 64));
  SetBkMode(dc_, TRANSPARENT);
  TextOutA(dc_, help.left + 5, help.top, "?", 1);
}

void WindowPainter::DrawBitmap(HBITMAP bitmap, SIZE size, int x, int y) {
  if (bitmap == nullptr || memory_ == nullptr) return;
  HGDIOBJ previous = SelectObject(memory_, bitmap);
  BitBlt(dc_, x, y, size.cx, size.cy, memory_, 0, 0, SRCCOPY);
  SelectObject(memory_, previous);
}

void WindowPainter::LogoAndBanner() {
  DrawBitmap(pictures_.logo, pictures_.logoSize, layout_.logo.left, layout_.logo.top);
  if (pictures_.bannerSize.cx <= 0) return;
  for (int x = 3; x < layout_.width - 3; x += pictures_.bannerSize.cx)
    DrawBitmap(pictures_.banner, pictures_.bannerSize, x, kCaptionBandHeight);
}

void WindowPainter::ProductName(const char* name) {
  const int length = static_cast<int>(std::strlen(name));
  const POINT at = layout_.productName;
  SelectObject(dc_, palette_.TitleFont());
  SetBkMode(dc_, TRANSPARENT);
  SetTextColor(dc_, RGB(0, 0, 144));
  TextOutA(dc_, at.x + 1, at.y + 1, name, length);
  SetTextColor(dc_, RGB(0, 128, 255));
  TextOutA(dc_, at.x, at.y, name, length);
}

void WindowPainter::DrawLines(HPEN pen, const POINT* points, int count) {
  SelectObject(dc_, pen);
  ::Polyline(dc_, points, count);
}

// Two-pixel olive and yellow lines along the top and the sides and above the
// strip: a raised edge round the whole window.
void WindowPainter::Outlines() {
  const int w = layout_.width, h = layout_.height;
  const POINT oliveTop[] = {{0, 1}, {w - 2, 1}, {w - 2, h - 30}};
  const POINT oliveBottom[] = {{w - 30, h - 2}, {30, h - 2}};
  const POINT oliveLeft[] = {{1, 0}, {1, h - 20}};
  const POINT yellowTop[] = {{2, 3}, {w - 4, 3}, {w - 4, h - 30}};
  const POINT yellowBottom[] = {{w - 30, h - 4}, {30, h - 4}};
  const POINT yellowLeft[] = {{3, 2}, {3, h - 26}};
  DrawLines(palette_.OlivePen(), oliveTop, 3);
  DrawLines(palette_.OlivePen(), oliveBottom, 2);
  DrawLines(palette_.OlivePen(), oliveLeft, 2);
  DrawLines(palette_.YellowPen(), yellowTop, 3);
  DrawLines(palette_.YellowPen(), yellowBottom, 2);
  DrawLines(palette_.YellowPen(), yellowLeft, 2);
}
