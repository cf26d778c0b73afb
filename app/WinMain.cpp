// The Windows entry point of Vantrel.exe.
#include <windows.h>

#include "Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunProgram(instance); }
