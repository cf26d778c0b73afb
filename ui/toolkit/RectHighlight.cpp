#include "RectHighlight.h"

#include <utility>

#include "Context.h"
#include "Palette.h"
#include "Window.h"

RectHighlight::RectHighlight()
    : parent_(static_cast<HWND>(TheContext().mainWindowHandle)),
      penA_(CreatePen(PS_SOLID, 2, RGB(192, 192, 255))),
      penB_(CreatePen(PS_SOLID, 2, RGB(0, 0, 255))) {}

RectHighlight::~RectHighlight() {
  if (frameWindow_ != nullptr && IsWindow(frameWindow_)) DestroyWindow(frameWindow_);
  frameWindow_ = nullptr;
  DeleteObject(penA_);
  DeleteObject(penB_);
}

HWND RectHighlight::CreateFrame(int x, int y, int width, int height) {
  HWND parent = parent_ != nullptr ? parent_ : static_cast<HWND>(TheContext().mainWindowHandle);
  HWND frame = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_GRAYFRAME, x - 2, y - 2, width + 4,
                               height + 4, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (frame == nullptr) return nullptr;
  drawingRect_ = {0, 0, width + 4, height + 4};
  Subclass(frame);
  return frame;
}

void RectHighlight::AttachFrame(HWND window) {
  GetClientRect(window, &drawingRect_);
  Subclass(window);
}

void RectHighlight::Subclass(HWND window) {
  frameWindow_ = window;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  previousProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RectHighlight::FrameProcedure)));
  DrawFrame(nullptr);
}

// The 2-pixel pens are centred on their line: the lines run one pixel inside
// the rectangle, so that both pixels of every edge lie inside it.
void DrawTwoToneEdge(HDC dc, const RECT& rect, HPEN topLeft, HPEN bottomRight) {
  const int left = rect.left + 1, top = rect.top + 1, right = rect.right - 1, bottom = rect.bottom - 1;
  HGDIOBJ previous = SelectObject(dc, topLeft);
  MoveToEx(dc, right, top, nullptr);
  LineTo(dc, left, top);
  LineTo(dc, left, bottom);
  SelectObject(dc, bottomRight);
  LineTo(dc, right, bottom);
  LineTo(dc, right, top);
  SelectObject(dc, previous);
}

void RectHighlight::DrawFrame(HDC dc) {
  if (frameWindow_ == nullptr) return;
  HDC target = dc != nullptr ? dc : GetDC(frameWindow_);
  if (target == nullptr) return;
  if (fill_ && TheContext().mainWindow != nullptr)
    FillRect(target, &drawingRect_, TheContext().mainWindow->Colours().PanelBrush());
  DrawTwoToneEdge(target, drawingRect_, penA_, penB_);
  if (dc == nullptr) ReleaseDC(frameWindow_, target);
}

// Two pixels on every side, as the frame was made: framed controls have no
// border of their own, the frame is their border.
void RectHighlight::TrackRect(const RECT& controlWindowRect) {
  LONG width = controlWindowRect.right - controlWindowRect.left + 4;
  LONG height = controlWindowRect.bottom - controlWindowRect.top + 4;
  if (width == drawingRect_.right && height == drawingRect_.bottom) return;
  drawingRect_ = {0, 0, width, height};
  if (frameWindow_ != nullptr) InvalidateRect(frameWindow_, nullptr, FALSE);
}

void RectHighlight::SwapPens() { std::swap(penA_, penB_); }

LRESULT CALLBACK RectHighlight::FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<RectHighlight*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    self->DrawFrame(dc);
    EndPaint(window, &paint);
    if (self->innerWindow_ != nullptr) InvalidateRect(self->innerWindow_, nullptr, FALSE);
    return 0;
  }
  return CallWindowProcA(self->previousProcedure_, window, message, wParam, lParam);
}
