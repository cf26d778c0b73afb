// What the screen shows of a window (and of a dialog over it), saved as a
// 24-bit BMP: read from the screen, so that it is what a user sees.
#pragma once

#include <windows.h>

#include <string>

// The screen area of window, joined with that of over when over is given,
// kept on the screen; false when the area is empty or the file could not be
// written.
bool SaveScreenshot(HWND window, HWND over, const std::string& path);
