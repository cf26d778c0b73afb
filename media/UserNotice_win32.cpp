#include <windows.h>

#include "Context.h"
#include "UserNotice.h"

// No caption: the system's default one.
void ShowWarning(const std::string& text) {
  MessageBoxA(static_cast<HWND>(TheContext().mainWindowHandle), text.c_str(), nullptr, MB_ICONWARNING);
}
