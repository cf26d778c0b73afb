// A click on a button of a step, as the button tells its dialog of it: the
// WM_COMMAND with BN_CLICKED, sent from a thread of its own so that the
// driver keeps watching while the step handles it (a modal dialog, a copy
// that pumps messages).
#pragma once

#include <windows.h>

#include <atomic>

class Press {
 public:
  // Refused (Started false) when the button is not there, hidden or disabled,
  // as a user could not click it then.
  Press(HWND dialog, int buttonId);
  ~Press();
  Press(const Press&) = delete;
  Press& operator=(const Press&) = delete;

  bool Started() const { return thread_ != nullptr; }
  // The step has returned from handling the click.
  bool Handled() const { return handled_.load(std::memory_order_acquire); }
  // How long the destructor waits for the send before leaving it: it ends
  // anyway once the program has gone.
  static constexpr DWORD kLeaveAfterMs = 10000;

 private:
  static DWORD WINAPI Send(void* self);

  HWND dialog_;
  HWND button_;
  int buttonId_;
  HANDLE thread_ = nullptr;
  std::atomic<bool> handled_{false};
};
