// The only code in 1033.DLL: the entry point and export ordinal 1, which tells
// the program which language the module holds. Everything else is resources.
#include <windows.h>

#include "LanguageTag.h"

extern "C" BOOL WINAPI LanguageModuleEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" const char* LanguageTag(void) { return VANTREL_LANGUAGE_TAG; }
