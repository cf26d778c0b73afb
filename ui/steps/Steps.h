// The wizard's steps by number, for the main window's step switch.
#pragma once

#include <windows.h>

#include <memory>

class Dialog;

// The step dialog of step 1 to 4, not yet created; null for a step the
// program does not have yet.
std::unique_ptr<Dialog> MakeStep(int step, HWND mainWindow);
