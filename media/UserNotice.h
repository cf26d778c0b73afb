// Tells the user something that needs no answer: on Windows a warning message
// box owned by the main window (UserNotice_win32.cpp), natively a line on
// standard error (UserNotice_portable.cpp).
#pragma once

#include <functional>
#include <string>

void ShowWarning(const std::string& text);

// How a module that may warn the user is told where the warning goes; tests
// pass a function that keeps the text.
using UserNotice = std::function<void(const std::string& text)>;
