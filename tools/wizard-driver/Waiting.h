// Waits with a limit: every wait of the driver ends, whatever the program does.
#pragma once

#include <windows.h>

#include <functional>

// Checks the condition every few milliseconds until it holds (true) or the
// time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds);

DWORD SecondsToMs(unsigned seconds);
