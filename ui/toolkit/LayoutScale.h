// The layout of every dialog is normalised to 150 by 163 pixels per 100
// dialog units, whatever the system's dialog font: these are the factors
// (in percent) and the scaled rectangles.
#pragma once

#include <windows.h>

// 15000 / px for 100 horizontal units mapped to px pixels, 16300 / py for
// vertical ones; 100 when nothing maps (no scaling).
inline int HorizontalScale(int pixelsPer100Units) { return pixelsPer100Units > 0 ? 15000 / pixelsPer100Units : 100; }
inline int VerticalScale(int pixelsPer100Units) { return pixelsPer100Units > 0 ? 16300 / pixelsPer100Units : 100; }

inline RECT ScaledRect(const RECT& rect, int scaleX, int scaleY) {
  return RECT{rect.left * scaleX / 100, rect.top * scaleY / 100, rect.right * scaleX / 100,
              rect.bottom * scaleY / 100};
}
