#include "Press.h"

Press::Press(HWND dialog, int buttonId) : dialog_(dialog), button_(GetDlgItem(dialog, buttonId)), buttonId_(buttonId) {
  if (button_ == nullptr || !IsWindowVisible(button_) || !IsWindowEnabled(button_)) return;
  thread_ = CreateThread(nullptr, 0, &Press::Send, this, 0, nullptr);
}

Press::~Press() {
  if (thread_ == nullptr) return;
  // A send still blocked here belongs to a program that is being ended; the
  // thread must not outlive this object, so it is ended if it does not return.
  if (WaitForSingleObject(thread_, kLeaveAfterMs) != WAIT_OBJECT_0) TerminateThread(thread_, 1);
  CloseHandle(thread_);
}

DWORD WINAPI Press::Send(void* self) {
  auto* press = static_cast<Press*>(self);
  SendMessageA(press->dialog_, WM_COMMAND, MAKEWPARAM(press->buttonId_, BN_CLICKED),
               reinterpret_cast<LPARAM>(press->button_));
  press->handled_.store(true, std::memory_order_release);
  return 0;
}
