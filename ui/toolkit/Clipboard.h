// Plain text onto the clipboard, for the copy commands of the step lists and
// the sector viewer.
#pragma once

#include <windows.h>

#include <string>

// Puts text on the clipboard as CF_TEXT with owner as its owner. False when
// the memory, the clipboard or the hand-over fails; the memory is freed then.
bool CopyTextToClipboard(HWND owner, const std::string& text);
