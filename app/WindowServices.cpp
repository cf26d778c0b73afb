// The main window's services for dialogs and long operations: the message
// loop and pump, dialog placement, the busy cursor and the click sound.
#include "Window.h"

#include <mmsystem.h>

#include <algorithm>

#include "OwnResources.h"

void Window::Run() {
  UpdateWindow(window_);
  MSG message;
  // GetMessage gives -1 on failure: that ends the loop too.
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchFully(message);
}

void Window::PumpMessages() {
  NestedLoop nested;
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The main loop must still see it, or the program would not end.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    DispatchFully(message);
  }
}

// The current dialog takes its keyboard navigation first, then the
// accelerators of the message's own window.
void Window::DispatchFully(MSG& message) {
  if (currentDialog_ != nullptr && IsDialogMessageA(currentDialog_, &message)) return;
  if (accelerators_ != nullptr && TranslateAcceleratorA(message.hwnd, accelerators_, &message)) return;
  TranslateMessage(&message);
  DispatchMessageA(&message);
}

void Window::PlaceStepDialog(HWND dialog) const {
  RECT main = {};
  if (dialog == nullptr || window_ == nullptr || !GetWindowRect(window_, &main)) return;
  POINT at = {main.left + 30, main.top + pictures_.bannerSize.cy + kCaptionBandHeight};
  const int width = (main.right - main.left) - 60;
  const int height = (main.bottom - main.top) - pictures_.bannerSize.cy - 80;
  // A child dialog is placed in its parent's client coordinates.
  if (GetWindowLongPtrA(dialog, GWL_STYLE) & WS_CHILD) ScreenToClient(GetParent(dialog), &at);
  SetWindowPos(dialog, nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(dialog, nullptr, TRUE);
}

void Window::CenterOverMain(HWND dialog) const {
  RECT main = {}, box = {}, desktop = {};
  if (dialog == nullptr || window_ == nullptr || !GetWindowRect(window_, &main) || !GetWindowRect(dialog, &box))
    return;
  GetWindowRect(GetDesktopWindow(), &desktop);
  const int width = box.right - box.left, height = box.bottom - box.top;
  int x = (main.left + main.right) / 2 - width / 2;
  int y = (main.top + main.bottom) / 2 - height / 2;
  // Keep it on the desktop; where it is larger, its top left corner wins.
  x = std::max(0, std::min(x, static_cast<int>(desktop.right) - width));
  y = std::max(0, std::min(y, static_cast<int>(desktop.bottom) - height));
  SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetBusy(bool busy) {
  if (busy) {
    ++busyCount_;
  } else if (busyCount_ > 0) {
    --busyCount_;
  }
  SetCursor(busyCount_ > 0 ? busyCursor_ : LoadCursorA(nullptr, IDC_ARROW));
}

void Window::PlayClick(int soundId) {
  if (soundId == 0) {
    PlaySoundA(nullptr, nullptr, 0);
    return;
  }
  PlaySoundA(MAKEINTRESOURCEA(soundId), OwnInstance(), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}
