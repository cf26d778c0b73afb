// The program's start and end: fills the program-wide context, loads the
// language module, creates the main window, runs the message loop until the
// window is closed, and shuts down. The exit code is 0 on every path.
#pragma once

#include <windows.h>

#include <string>

int RunProgram(HINSTANCE instance);

// The file-type dictionary beside the executable: its folder (up to and
// including the last "\") and "FileIdentify.dict".
std::string DictionaryPathFor(const std::string& executablePath);

// The message when the language module cannot be loaded: the system's
// file-not-found text without its final full stop, " - ", the module name.
std::string MissingLanguageModuleText(const std::string& moduleName);
