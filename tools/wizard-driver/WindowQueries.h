// Reading and finding windows of another process without hanging on it:
// every question has a time limit, and a window that does not answer in
// time counts as not answering.
#pragma once

#include <windows.h>

#include <string>

// SendMessageTimeout with a few seconds' limit; false when it did not answer.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// The window's text, through WM_GETTEXT; empty when it has none or is silent.
std::string TextOf(HWND window);
// The texts of a dialog's static controls and its caption, one line each,
// for telling what a box of the program said.
std::string DialogWords(HWND dialog);

// The visible top-level window of the process with the class, or null.
HWND TopWindowOf(DWORD processId, const char* className);
// A visible top-level dialog (#32770) of the process, other than skip.
HWND TopDialogOf(DWORD processId, HWND skip = nullptr);
// The visible child dialog of parent: the wizard step shown now.
HWND ChildDialogOf(HWND parent);

bool Visible(HWND window);
bool Enabled(HWND window);
