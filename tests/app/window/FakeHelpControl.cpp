// A stand-in for the HTML Help control, registered in its place for the
// suite: its HtmlHelp entry (ordinal 14) records every call instead of
// opening help windows.
#include <windows.h>

#include <htmlhelp.h>

#include <cstring>

#include "FakeHelpControl.h"

namespace {

FakeHelpCall calls[256];
int callCount = 0;

}  // namespace

extern "C" HWND WINAPI FakeHtmlHelp(HWND, LPCSTR file, UINT command, DWORD_PTR data) {
  if (command == HH_INITIALIZE && data != 0) *reinterpret_cast<DWORD*>(data) = kFakeHelpCookie;
  FakeHelpCall& call = calls[callCount % 256];
  call.command = command;
  call.data = data;
  call.file[0] = '\0';
  if (file != nullptr) lstrcpynA(call.file, file, MAX_PATH);
  ++callCount;
  return nullptr;
}

extern "C" int FakeHelpCallCount() { return callCount; }

extern "C" const FakeHelpCall* FakeHelpCallAt(int index) { return &calls[index % 256]; }
