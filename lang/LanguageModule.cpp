// The only code in a language module: the entry point and export ordinal 1,
// which tells the program which language the module holds (the tag comes from
// the LanguageTag.h of the module's folder). Everything else is resources.
#include <windows.h>

#include "LanguageTag.h"

extern "C" BOOL WINAPI LanguageModuleEntry(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" const char* LanguageTag(void) { return VANTREL_LANGUAGE_TAG; }
