// The wizard's steps by number, for the main window's step switch.
#pragma once

#include <windows.h>

#include <memory>

class Dialog;

// The step dialog of step 1 to 4, not yet created; null for a step the
// program does not have yet.
std::unique_ptr<Dialog> MakeStep(int step, HWND mainWindow);

// Back from step 3 or 4: the current recovery worker is asked to stop and
// waited for (its sent lines still served), then goes with its records.
void DiscardCurrentRecovery();
