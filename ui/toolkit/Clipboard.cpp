#include "Clipboard.h"

#include <cstring>

bool CopyTextToClipboard(HWND owner, const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (memory == nullptr) return false;
  void* bytes = GlobalLock(memory);
  if (bytes == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(bytes, text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  if (!OpenClipboard(owner)) {
    GlobalFree(memory);
    return false;
  }
  EmptyClipboard();
  // The clipboard owns the memory only when it took it.
  const bool taken = SetClipboardData(CF_TEXT, memory) != nullptr;
  if (!taken) GlobalFree(memory);
  CloseClipboard();
  return taken;
}
