// The language module's string table as the native build sees it: generated at
// build time from the same resource script that builds 1033.DLL.
#pragma once

#include <cstddef>

struct LanguageText {
  unsigned id;
  const char* text;
};

// The table sorted by id; count receives the number of entries.
const LanguageText* LanguageTexts(std::size_t& count);

// The tag that the module's first export returns.
const char* LanguageModuleTag();
