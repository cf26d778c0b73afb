// HTML Help, reached through the HtmlHelp entry (export ordinal 14) of the
// HTML Help control. The control is located once, from its registered
// in-process server or else by the name "hhctrl.ocx"; where it cannot be
// loaded, every call does nothing and returns 0, and no second attempt is made.
#pragma once

#include <windows.h>

#include <cstdint>

class HelpLibrary {
 public:
  // One HtmlHelp call (HH_INITIALIZE, HH_DISPLAY_TOC, HH_HELP_CONTEXT, ...).
  static intptr_t Call(HWND owner, const char* file, UINT command, uintptr_t data);
  // Whether the entry was found (locating the control on first use).
  static bool Available();

  static uint32_t Initialize();
  static void Uninitialize(uint32_t cookie);
  static void ShowContents(HWND owner, const char* file);
  static void ShowContext(HWND owner, const char* file, int context);
  static void CloseAll();
};
