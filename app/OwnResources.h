// The executable's own resources (icons, pictures, sound, accelerators and
// the strings 102, 104, 109 and 1000), as opposed to the language module's.
#pragma once

#include <windows.h>

#include <string>

#include "ResourceIds.h"

// The executable's instance handle from the context, or the running module's.
HINSTANCE OwnInstance();

// A string of the executable's string table, at most maxChars characters.
std::string OwnString(unsigned id, int maxChars);
