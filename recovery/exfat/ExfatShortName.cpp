#include "ExfatShortName.h"

#include <cstring>

namespace {

constexpr std::size_t kBaseChars = 8;
constexpr std::size_t kExtensionChars = 3;

// The short-name form of one UTF-16 unit; 0 when it is left out.
char ShortChar(char16_t unit, bool& changed) {
  if (unit == u' ' || unit == u'.') {
    changed = true;
    return 0;
  }
  if (unit >= u'a' && unit <= u'z') return static_cast<char>(unit - u'a' + 'A');
  if ((unit >= u'A' && unit <= u'Z') || (unit >= u'0' && unit <= u'9')) return static_cast<char>(unit);
  if (unit < 0x80 && std::strchr("!#$%&'()-@^_`{}~", static_cast<char>(unit)) != nullptr)
    return static_cast<char>(unit);
  changed = true;
  return '_';
}

std::string ShortPart(const std::u16string& part, std::size_t most, bool& changed) {
  std::string out;
  for (char16_t unit : part) {
    const char c = ShortChar(unit, changed);
    if (c == 0) continue;
    if (out.size() == most) {
      changed = true;
      break;
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string ExfatShortName(const std::u16string& name) {
  const std::size_t dot = name.find_last_of(u'.');
  const bool hasExtension = dot != std::u16string::npos && dot != 0;
  bool changed = false;
  std::string base = ShortPart(hasExtension ? name.substr(0, dot) : name, kBaseChars, changed);
  const std::string extension = hasExtension ? ShortPart(name.substr(dot + 1), kExtensionChars, changed) : "";
  if (base.empty()) base = "_";
  if (changed) base = base.substr(0, kBaseChars - 2) + "~1";
  base.resize(kBaseChars, ' ');
  return base + extension + std::string(kExtensionChars - extension.size(), ' ');
}
