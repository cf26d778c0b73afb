// The program-wide values that start-up fills once and every other module
// reads. There is exactly one context per process (TheContext()).
//
// Start-up gathers the platform facts (the language module loaded, executable
// path, locale settings, its own strings) into a StartupFacts record and
// hands it to FillContext; tests do the same with facts of their choosing.
#pragma once

#include <cstdint>
#include <string>

#include "BoundedText.h"

class Media;
class MessagePump;
class Recovery;
class TypeDB;
class Window;

// The number format for byte counts (the fields of the platform's NUMBERFMTA).
struct NumberFormatRecord {
  uint32_t digitsAfterDecimal = 0;
  uint32_t leadingZero = 0;
  uint32_t grouping = 3;
  std::string decimalSeparator;  // always empty: byte counts have no decimals
  std::string thousandSeparator = ",";
  uint32_t negativeOrder = 1;
};

struct Context {
  void* ownInstance = nullptr;     // the executable: icons, bitmaps, sounds, own strings
  void* LanguageModule = nullptr;  // the loaded language module: all other texts and dialogs
  int32_t languageNumber = 1033;
  BoundedText<50> AppName = "Vantrel";
  BoundedText<99> WindowTitle;
  BoundedText<100> WebsiteText;
  BoundedText<260> HelpFile;
  BoundedText<260> HelpContextFile;
  BoundedText<227> LanguageTag;
  bool vistaOrLater = false;
  NumberFormatRecord NumberFormat;
  uint32_t helpCookie = 0;
  TypeDB* dictionary = nullptr;
  Window* mainWindow = nullptr;
  // The main window's window handle (HWND), the owner of the program's message
  // boxes; null while there is no main window.
  void* mainWindowHandle = nullptr;
  // What long work on the user-interface thread calls to keep the windows
  // alive: the main window, while it exists.
  MessagePump* messagePump = nullptr;
  Media* CurrentMedia = nullptr;
  // Read by the crash filter on any thread: a single pointer-sized value.
  Recovery* CurrentRecovery = nullptr;
};

Context& TheContext();

struct StartupFacts {
  int32_t languageNumber = 1033;    // the language module loaded (LanguageChoice.h)
  std::string executablePath;       // GetModuleFileNameA of the executable
  std::string windowTitle;          // own string 1000
  std::string websiteText;          // own string 102
  std::string languageTag;          // the language module's export ordinal 1
  std::string localeGrouping = "3;0";
  std::string localeThousandSeparator = ",";
  bool vistaOrLater = false;
};

// The language module and help files follow the user's primary language with
// its default sub-language: English (United Kingdom) 0x809 gives 1033.
int32_t LanguageNumberFor(uint16_t userLanguageId);

// "%d.DLL" with the language number.
std::string LanguageModuleName(int32_t languageNumber);

// The executable's path with its last "." turned into "-", then the language
// number and ".chm"; a path without "." stays as it is.
std::string HelpFileFor(const std::string& executablePath, int32_t languageNumber);

// A grouping text such as "3;0" gives 3.
NumberFormatRecord NumberFormatFor(const std::string& grouping, const std::string& thousandSeparator);

// Sets every value that start-up computes; the object pointers are left alone.
void FillContext(Context& context, const StartupFacts& facts);
