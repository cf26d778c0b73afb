#include <algorithm>

#include "LanguageTable.h"
#include "TextSource.h"

bool LookupText(unsigned id, std::size_t maxChars, std::string& text) {
  text.clear();
  std::size_t count = 0;
  const LanguageText* begin = LanguageTexts(count);
  const LanguageText* end = begin + count;
  const LanguageText* hit =
      std::lower_bound(begin, end, id, [](const LanguageText& entry, unsigned key) { return entry.id < key; });
  if (hit == end || hit->id != id || hit->text[0] == '\0') return false;
  text.assign(hit->text);
  if (text.size() > maxChars) text.resize(maxChars);
  return true;
}
