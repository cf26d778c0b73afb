#include <windows.h>

#include "Event.h"

struct Event::State {
  HANDLE handle = nullptr;
};

Event::Event() : state_(new State) { state_->handle = CreateEventA(nullptr, FALSE, FALSE, nullptr); }

Event::~Event() {
  if (state_->handle != nullptr) CloseHandle(state_->handle);
}

void Event::set() {
  if (state_->handle != nullptr) SetEvent(state_->handle);
}

bool Event::wait(uint32_t timeoutMs) {
  return state_->handle != nullptr && WaitForSingleObject(state_->handle, timeoutMs) == WAIT_OBJECT_0;
}
