// What the stand-in for the HTML Help control records of each call.
#pragma once

#include <windows.h>

struct FakeHelpCall {
  UINT command;
  DWORD_PTR data;
  char file[MAX_PATH];
};

// The cookie that HH_INITIALIZE hands out.
constexpr DWORD kFakeHelpCookie = 0x1234;
