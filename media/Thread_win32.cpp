#include <windows.h>
#include <process.h>

#include "Thread.h"

struct Thread::State {
  HANDLE handle = nullptr;
};

namespace {

// Handed to the new thread, which frees it as its first act.
struct StartBlock {
  Thread* object;
  void* argument;
};

unsigned __stdcall ThreadEntry(void* parameter) {
  StartBlock* block = static_cast<StartBlock*>(parameter);
  Thread* object = block->object;
  void* argument = block->argument;
  delete block;
  return object->run(argument);
}

}  // namespace

Thread::Thread(void* argument) : state_(new State), argument_(argument) {}

Thread::~Thread() {
  if (state_->handle == nullptr) return;
  WaitForSingleObject(state_->handle, INFINITE);
  CloseHandle(state_->handle);
}

bool Thread::start() {
  if (state_->handle != nullptr) return false;
  StartBlock* block = new StartBlock{this, argument_};
  uintptr_t handle = _beginthreadex(nullptr, 0, ThreadEntry, block, 0, nullptr);
  if (handle == 0) {
    delete block;
    return false;
  }
  state_->handle = reinterpret_cast<HANDLE>(handle);
  return true;
}

void Thread::terminate() {
  if (state_->handle != nullptr) TerminateThread(state_->handle, 0);
}

uint32_t Thread::waitUntilFinished() {
  if (state_->handle == nullptr) return WAIT_OBJECT_0;
  return WaitForSingleObject(state_->handle, INFINITE);
}

uint32_t Thread::run(void*) { return 0; }

bool Thread::isFinished() {
  return state_->handle == nullptr || WaitForSingleObject(state_->handle, 0) == WAIT_OBJECT_0;
}

bool Thread::end(uint32_t graceMs) {
  requestStop();
  if (state_->handle == nullptr) return true;
  DWORD deadline = GetTickCount() + graceMs;
  for (;;) {
    DWORD now = GetTickCount();
    DWORD remaining = static_cast<int32_t>(deadline - now) > 0 ? deadline - now : 0;
    DWORD result = MsgWaitForMultipleObjects(1, &state_->handle, FALSE, remaining, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) return true;
    if (result != WAIT_OBJECT_0 + 1) break;
    // Peeking handles the messages the worker is waiting on (SendMessageA).
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
  TerminateThread(state_->handle, 0);
  WaitForSingleObject(state_->handle, INFINITE);
  return false;
}

uint32_t Thread::exitCode() {
  DWORD code = 0;
  if (state_->handle == nullptr || !GetExitCodeThread(state_->handle, &code) || code == STILL_ACTIVE) return 0;
  return code;
}
