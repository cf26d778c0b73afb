// Which language module the program runs with: the one of the user's
// language, or, where that one is not installed, the English one, which
// always ships. The loading itself is the caller's (LoadLibraryA at start-up,
// a fake in the tests).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int32_t kFallbackLanguageNumber = 1033;

// The language numbers to try, in order, each once.
std::vector<int32_t> LanguageNumbersToTry(uint16_t userLanguageId);

struct LanguageChoice {
  void* module = nullptr;    // the loaded module; null when none loaded
  int32_t number = 0;        // its language number; 0 when none loaded
  std::string wantedName;    // the module of the user's language, "%d.DLL"
};

// Loads the first module of LanguageNumbersToTry that load gives a handle
// for; load takes a module name ("1031.DLL") and returns null on failure.
LanguageChoice ChooseLanguageModule(uint16_t userLanguageId, const std::function<void*(const std::string&)>& load);
