// A click on a button of a step, as the button tells its dialog of it: the
// WM_COMMAND with BN_CLICKED, sent from a thread of its own so that the
// driver keeps watching while the step handles it (a modal dialog, a copy
// that pumps messages).
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

class Press {
 public:
  // Refused (Started false) when the button is not there, hidden or disabled,
  // as a user could not click it then.
  Press(HWND dialog, int buttonId);
  // Does not wait: a send still blocked (a dialog nobody answered) returns
  // once the program has gone, and its thread holds its own share of the state.
  ~Press();
  Press(const Press&) = delete;
  Press& operator=(const Press&) = delete;

  bool Started() const { return thread_ != nullptr; }
  // The step has returned from handling the click.
  bool Handled() const { return state_->handled.load(std::memory_order_acquire); }

 private:
  struct State {
    HWND dialog;
    HWND button;
    int buttonId;
    std::atomic<bool> handled{false};
  };
  static DWORD WINAPI Send(void* share);

  std::shared_ptr<State> state_;
  HANDLE thread_ = nullptr;
};
