#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "CRegistry.h"
#include "Context.h"
#include "Format.h"
#include "System.h"
#include "Utilities.h"

const char kPathSeparator = '\\';

namespace {

// The shell folder names under HKCU\...\Explorer\Shell Folders, for systems
// where the shell cannot answer.
const char* ShellFolderValueName(int folder) {
  switch (folder) {
    case kFolderDesktop: return "Desktop";
    case kFolderPrograms: return "Programs";
    case kFolderPersonal: return "Personal";
    case kFolderAppData: return "AppData";
    case kFolderLocalAppData: return "Local AppData";
    default: return nullptr;
  }
}

std::string ShellFolderFromRegistry(int folder) {
  const char* name = ShellFolderValueName(folder);
  if (name == nullptr) return std::string();
  CRegistry settings;
  if (!settings.OpenKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"))
    return std::string();
  return settings.ReadString(name, "");
}

SYSTEMTIME ToSystemTime(const CalendarTime& time) {
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(time.year);
  st.wMonth = static_cast<WORD>(time.month);
  st.wDay = static_cast<WORD>(time.day);
  st.wHour = static_cast<WORD>(time.hour);
  st.wMinute = static_cast<WORD>(time.minute);
  st.wSecond = static_cast<WORD>(time.second);
  st.wMilliseconds = static_cast<WORD>(time.millisecond);
  return st;
}

}  // namespace

std::string SystemMessageText(uint32_t code) {
  char buffer[1024] = {};
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
  std::string text(buffer, length);
  std::size_t cr = text.rfind('\r');
  if (cr != std::string::npos) text.erase(cr);
  return text;
}

std::string GetSpecialFolder(int folder) {
  std::string path;
  LPITEMIDLIST items = nullptr;
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, folder, &items))) {
    char buffer[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListA(items, buffer)) path = buffer;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
      allocator->Free(items);
      allocator->Release();
    }
  } else {
    path = ShellFolderFromRegistry(folder);
  }
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string ProductVersionText(void* module) {
  char name[MAX_PATH] = {};
  GetModuleFileNameA(static_cast<HMODULE>(module), name, MAX_PATH - 1);
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(name, &handle);
  if (size == 0) return "** NoVer **";
  std::vector<char> info(size);
  if (!GetFileVersionInfoA(name, 0, size, info.data())) return "** NoVer **";

  char* text = nullptr;
  UINT length = 0;
  if (VerQueryValueA(info.data(), "\\StringFileInfo\\040904b0\\ProductVersion", reinterpret_cast<void**>(&text),
                     &length) &&
      text != nullptr && length > 0)
    return std::string(text);

  VS_FIXEDFILEINFO* fixed = nullptr;
  if (!VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || fixed == nullptr)
    return "** NoVer **";
  return Format("%d.%d.%d.%d", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
}

uint32_t ModuleDllVersion(const char* dllName) {
  HMODULE dll = LoadLibraryA(dllName);
  if (dll == nullptr) return 0;
  uint32_t version = 0;
  using GetVersionFunction = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  auto getVersion = reinterpret_cast<GetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetVersion")));
  if (getVersion != nullptr) {
    DLLVERSIONINFO info = {};
    info.cbSize = sizeof info;  // 20 bytes
    if (SUCCEEDED(getVersion(&info))) version = info.dwMajorVersion * 65536 + (info.dwMinorVersion & 0xFFFF);
  }
  FreeLibrary(dll);
  return version;
}

std::string GroupNumber(const std::string& digits) {
  const NumberFormatRecord& format = TheContext().NumberFormat;
  std::string decimal = format.decimalSeparator;
  std::string thousand = format.thousandSeparator;
  NUMBERFMTA record = {};
  record.NumDigits = format.digitsAfterDecimal;
  record.LeadingZero = format.leadingZero;
  record.Grouping = format.grouping;
  record.lpDecimalSep = &decimal[0];
  record.lpThousandSep = &thousand[0];
  record.NegativeOrder = format.negativeOrder;
  char buffer[30] = {};
  // Some systems format a zero without leading zero as nothing at all.
  if (GetNumberFormatA(LOCALE_USER_DEFAULT, 0, digits.c_str(), &record, buffer, sizeof buffer) == 0 ||
      buffer[0] == '\0')
    return digits;
  return buffer;
}

LocaleNumberParts UserNumberParts() {
  LocaleNumberParts parts;
  char text[16] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof text) > 0) parts.decimalSeparator = text;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, text, sizeof text) > 0) parts.thousandSeparator = text;
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SGROUPING, text, sizeof text) > 0)
    parts.grouping = NumberFormatFor(text, parts.thousandSeparator).grouping;
  return parts;
}

std::string NarrowText(const std::u16string& text) {
  if (text.empty()) return std::string();
  const wchar_t* wide = reinterpret_cast<const wchar_t*>(text.data());
  int length = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), nullptr, 0, "?", nullptr);
  if (length <= 0) return std::string();
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(text.size()), &out[0], length, "?", nullptr);
  return out;
}

CalendarTime LocalTimeNow() {
  SYSTEMTIME st = {};
  GetLocalTime(&st);
  CalendarTime time;
  time.year = st.wYear;
  time.month = st.wMonth;
  time.day = st.wDay;
  time.hour = st.wHour;
  time.minute = st.wMinute;
  time.second = st.wSecond;
  time.millisecond = st.wMilliseconds;
  return time;
}

bool FormatShortDate(const CalendarTime& time, std::string& text) {
  SYSTEMTIME st = ToSystemTime(time);
  char buffer[100] = {};
  if (GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, sizeof buffer) == 0) return false;
  text = buffer;
  return true;
}

bool FormatTimeOfDay(const CalendarTime& time, std::string& text) {
  SYSTEMTIME st = ToSystemTime(time);
  char buffer[100] = {};
  if (GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, sizeof buffer) == 0) return false;
  text = buffer;
  return true;
}
