#include <windows.h>

#include <vector>

#include "Context.h"
#include "TextSource.h"

bool LookupText(unsigned id, std::size_t maxChars, std::string& text) {
  std::vector<char> buffer(maxChars + 1, '\0');
  HINSTANCE module = static_cast<HINSTANCE>(TheContext().LanguageModule);
  int length = module != nullptr ? LoadStringA(module, id, buffer.data(), static_cast<int>(buffer.size())) : 0;
  text.assign(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
  return length > 0;
}
