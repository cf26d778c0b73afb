// Reports a fault on any thread through the current recovery run's status list
// and ends only the faulting thread, so that the window stays usable. Windows
// only; natively installing it does nothing.
#pragma once

#include <cstdint>

void InstallCrashFilter();

// The name of an exception code, or "" for a code outside the table.
const char* CrashName(uint32_t code);
