#include "HelpLibrary.h"

#include <htmlhelp.h>

#include <string>

#include "CRegistry.h"

namespace {

using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

const char kControlServer[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

std::string RegisteredControlPath() {
  CRegistry settings;
  if (!settings.OpenKey(HKEY_CLASSES_ROOT, kControlServer)) return std::string();
  std::string path = settings.ReadString("", "");
  // The value is usually REG_EXPAND_SZ ("%SystemRoot%\System32\hhctrl.ocx").
  char expanded[MAX_PATH] = {};
  DWORD length = ExpandEnvironmentStringsA(path.c_str(), expanded, MAX_PATH - 1);
  if (length == 0 || length > MAX_PATH - 1) return path.size() < MAX_PATH ? path : std::string();
  return expanded;
}

HtmlHelpEntry LocateEntry() {
  std::string path = RegisteredControlPath();
  HMODULE control = path.empty() ? nullptr : LoadLibraryA(path.c_str());
  if (control == nullptr) control = LoadLibraryA("hhctrl.ocx");
  if (control == nullptr) return nullptr;
  return reinterpret_cast<HtmlHelpEntry>(reinterpret_cast<void*>(GetProcAddress(control, MAKEINTRESOURCEA(14))));
}

HtmlHelpEntry Entry() {
  static const HtmlHelpEntry entry = LocateEntry();
  return entry;
}

}  // namespace

bool HelpLibrary::Available() { return Entry() != nullptr; }

intptr_t HelpLibrary::Call(HWND owner, const char* file, UINT command, uintptr_t data) {
  HtmlHelpEntry entry = Entry();
  if (entry == nullptr) return 0;
  return reinterpret_cast<intptr_t>(entry(owner, file, command, data));
}

uint32_t HelpLibrary::Initialize() {
  DWORD cookie = 0;
  Call(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<uintptr_t>(&cookie));
  return cookie;
}

void HelpLibrary::Uninitialize(uint32_t cookie) { Call(nullptr, nullptr, HH_UNINITIALIZE, cookie); }

void HelpLibrary::ShowContents(HWND owner, const char* file) { Call(owner, file, HH_DISPLAY_TOC, 0); }

void HelpLibrary::ShowContext(HWND owner, const char* file, int context) {
  Call(owner, file, HH_HELP_CONTEXT, static_cast<uintptr_t>(context));
}

void HelpLibrary::CloseAll() { Call(nullptr, nullptr, HH_CLOSE_ALL, 0); }
