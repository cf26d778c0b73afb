// Small bitmap helpers of the user interface. Each returns null or an empty
// size on failure; a returned bitmap belongs to the caller.
#pragma once

#include <windows.h>

SIZE BitmapSize(HBITMAP bitmap);

// The description of a top-down 32-bit DIB: pixels 0x00RRGGBB, row by row.
BITMAPINFO TopDown32(int width, int height);

// A bitmap file (any depth LoadImage takes).
HBITMAP LoadBitmapFile(const char* path);

// A 32-bit copy in which every pixel of colour `from` has colour `to`: the
// pictures' RGB(192,192,192) turns into the colour they are shown on.
HBITMAP CopyReplacingColour(HBITMAP bitmap, COLORREF from, COLORREF to);
