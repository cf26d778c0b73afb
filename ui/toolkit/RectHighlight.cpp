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

void RectHighlight::DrawFrame(HDC dc) {
  if (frameWindow_ == nullptr) return;
  HDC target = dc != nullptr ? dc : GetDC(frameWindow_);
  if (target == nullptr) return;
  if (fill_ && TheContext().mainWindow != nullptr)
    FillRect(target, &drawingRect_, TheContext().mainWindow->Colours().PanelBrush());
  const RECT& r = drawingRect_;
  HGDIOBJ previous = SelectObject(target, penA_);
  MoveToEx(target, r.right, 0, nullptr);
  LineTo(target, 0, 0);
  LineTo(target, 0, r.bottom);
  SelectObject(target, penB_);
  LineTo(target, r.right, r.bottom);
  LineTo(target, r.right, 0);
  SelectObject(target, previous);
  if (dc == nullptr) ReleaseDC(frameWindow_, target);
}

void RectHighlight::TrackRect(const RECT& controlWindowRect) {
  LONG width = controlWindowRect.right - controlWindowRect.left + 2;
  LONG height = controlWindowRect.bottom - controlWindowRect.top + 2;
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
