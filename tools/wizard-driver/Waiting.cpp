#include "Waiting.h"

namespace {

constexpr DWORD kPollMs = 50;

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

// The options allow a day at most, far below what a DWORD of milliseconds holds.
DWORD SecondsToMs(unsigned seconds) { return static_cast<DWORD>(seconds) * 1000u; }
