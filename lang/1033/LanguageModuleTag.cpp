// The native build's view of the module's export ordinal 1.
#include "LanguageTable.h"
#include "LanguageTag.h"

const char* LanguageModuleTag() { return VANTREL_LANGUAGE_TAG; }
