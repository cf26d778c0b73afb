#include "Press.h"

Press::Press(HWND dialog, int buttonId) : state_(std::make_shared<State>()) {
  state_->dialog = dialog;
  state_->button = GetDlgItem(dialog, buttonId);
  state_->buttonId = buttonId;
  HWND button = state_->button;
  if (button == nullptr || !IsWindowVisible(button) || !IsWindowEnabled(button)) return;
  auto* share = new std::shared_ptr<State>(state_);
  thread_ = CreateThread(nullptr, 0, &Press::Send, share, 0, nullptr);
  if (thread_ == nullptr) delete share;
}

Press::~Press() {
  if (thread_ != nullptr) CloseHandle(thread_);
}

DWORD WINAPI Press::Send(void* share) {
  std::unique_ptr<std::shared_ptr<State>> owned(static_cast<std::shared_ptr<State>*>(share));
  State& state = **owned;
  SendMessageA(state.dialog, WM_COMMAND, MAKEWPARAM(state.buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(state.button));
  state.handled.store(true, std::memory_order_release);
  return 0;
}
