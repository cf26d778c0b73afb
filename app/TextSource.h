// Where the language texts come from: the string table of the loaded language
// module on Windows (TextSource_win32.cpp), the same strings compiled in from
// the module's resource script natively (TextSource_portable.cpp).
#pragma once

#include <cstddef>
#include <string>

// The raw text of a string id, at most maxChars characters; false (and an
// empty text) when the id does not exist.
bool LookupText(unsigned id, std::size_t maxChars, std::string& text);
