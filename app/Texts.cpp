#include "Texts.h"

#include <cstring>

#include "TextSource.h"

std::string LoadTextWith(unsigned id, const FormatArg* args, std::size_t count) {
  std::string pattern;
  if (!LookupText(id, kTextTemplateLimit, pattern)) return std::string();
  return FormatText(pattern.c_str(), args, count);
}

const char* LoadFilterText(unsigned id) {
  static char buffer[100];
  std::memset(buffer, 0, sizeof buffer);
  std::string text;
  // Two characters stay free, so the list always ends with two NULs.
  LookupText(id, sizeof buffer - 2, text);
  for (std::size_t i = 0; i < text.size(); ++i) buffer[i] = text[i] == '!' ? '\0' : text[i];
  return buffer;
}
