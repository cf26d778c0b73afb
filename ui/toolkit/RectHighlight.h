// A two-tone, 2-pixel frame (a raised or sunken edge) drawn in a small window
// of its own or in an existing control, optionally filled with the panel
// colour. Pen A draws the top and left edges, pen B the bottom and right
// ones; swapping them turns a raised edge into a sunken one.
#pragma once

#include <windows.h>

// A 2-pixel edge inside rect: topLeft on the top and left, bottomRight on the
// bottom and right.
void DrawTwoToneEdge(HDC dc, const RECT& rect, HPEN topLeft, HPEN bottomRight);

class RectHighlight {
 public:
  RectHighlight();
  virtual ~RectHighlight();
  RectHighlight(const RectHighlight&) = delete;
  RectHighlight& operator=(const RectHighlight&) = delete;

  // Frames the rectangle (x, y, width, height) of the parent's client area
  // with a window two pixels larger on every side. Returns the frame window.
  HWND CreateFrame(int x, int y, int width, int height);
  // Draws in an existing control instead of a window of its own.
  void AttachFrame(HWND window);
  // Draws on the given device context, or on the frame window's own.
  void DrawFrame(HDC dc);
  // Follows the framed control's window rectangle; repaints only on a change.
  void TrackRect(const RECT& controlWindowRect);

  void SwapPens();
  void SetFill(bool fill) { fill_ = fill; }
  void SetParent(HWND parent) { parent_ = parent; }
  HWND FrameWindow() const { return frameWindow_; }
  const RECT& DrawingRect() const { return drawingRect_; }

 protected:
  HWND innerWindow_ = nullptr;  // repainted after the frame has painted

 private:
  static LRESULT CALLBACK FrameProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Subclass(HWND window);

  HWND frameWindow_ = nullptr;
  HWND parent_ = nullptr;
  RECT drawingRect_ = {};
  HPEN penA_ = nullptr;
  HPEN penB_ = nullptr;
  WNDPROC previousProcedure_ = nullptr;
  bool fill_ = false;
};
