// What the program asks of the operating system: error texts, special folders,
// version information and the user's locale. System_win32.cpp asks Windows;
// System_portable.cpp answers natively (XDG folders, fixed English texts for
// the Windows error codes the engine reports, the C locale's forms).
#pragma once

#include <cstdint>
#include <string>

// The folder separator of the platform's paths.
extern const char kPathSeparator;

// Special folder numbers (CSIDL values) that the program uses.
enum SpecialFolder : int {
  kFolderDesktop = 0,
  kFolderPrograms = 2,
  kFolderPersonal = 5,  // the user's documents folder
  kFolderAppData = 26,
  kFolderLocalAppData = 28,
};

// The system's message for a Windows error code, cut before its last carriage
// return (so it normally ends with a full stop).
std::string SystemMessageText(uint32_t code);

// The folder's path ending in the separator; empty for an unknown folder.
std::string GetSpecialFolder(int folder);

// The product version of a module ("** NoVer **" without version information).
// A null module stands for the executable.
std::string ProductVersionText(void* module);

// A DLL's DllGetVersion as major * 65536 + minor, or 0.
uint32_t ModuleDllVersion(const char* dllName);

// A decimal integer text grouped with the program's number format.
std::string GroupNumber(const std::string& digits);

// The user's separators and digit grouping for plain numbers.
struct LocaleNumberParts {
  std::string decimalSeparator = ".";
  std::string thousandSeparator = ",";
  uint32_t grouping = 3;
};
LocaleNumberParts UserNumberParts();

// A UTF-16 text in the 8-bit code page of the platform's texts (the ANSI code
// page on Windows, UTF-8 natively); what cannot be shown becomes "?".
std::string NarrowText(const std::u16string& text);

struct CalendarTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

CalendarTime LocalTimeNow();

// The user's short date and time formats; false when the platform refuses.
bool FormatShortDate(const CalendarTime& time, std::string& text);
bool FormatTimeOfDay(const CalendarTime& time, std::string& text);
