#include "TargetName.h"

#include <cstddef>

namespace {

bool IsRefused(char16_t c) {
  if (c < 0x20 || c == 0x7F) return true;
  for (char16_t refused : u"\\/:*?\"<>|")
    if (refused != 0 && c == refused) return true;
  return false;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool SameIgnoringCase(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// COM and LPT take a digit, or the superscripts 1, 2 and 3 that Windows
// counts as digits there.
bool IsPortNumber(char16_t c) { return (c >= u'0' && c <= u'9') || c == 0xB9 || c == 0xB2 || c == 0xB3; }

bool IsReservedName(const std::u16string& base) {
  static const char16_t* const kDevices[] = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
  for (const char16_t* device : kDevices)
    if (SameIgnoringCase(base, device)) return true;
  if (base.size() != 4 || !IsPortNumber(base[3])) return false;
  std::u16string port = base.substr(0, 3);
  return SameIgnoringCase(port, u"COM") || SameIgnoringCase(port, u"LPT");
}

// Windows takes "CON.txt" and "CON .txt" for the device too: the name part
// is what stands before the first dot, without trailing blanks.
void SuffixReservedName(std::u16string& name) {
  std::size_t end = name.find(u'.');
  if (end == std::u16string::npos) end = name.size();
  while (end > 0 && name[end - 1] == u' ') --end;
  if (IsReservedName(name.substr(0, end))) name.insert(end, 1, u'_');
}

}  // namespace

std::u16string SafeName(const std::u16string& name) {
  std::u16string safe = name;
  for (std::size_t i = 0; i < safe.size(); ++i) {
    if (IsHighSurrogate(safe[i]) && i + 1 < safe.size() && IsLowSurrogate(safe[i + 1])) {
      ++i;  // a whole pair stays
    } else if (IsRefused(safe[i]) || IsHighSurrogate(safe[i]) || IsLowSurrogate(safe[i])) {
      safe[i] = u'_';
    }
  }
  for (std::size_t i = safe.size(); i > 0 && (safe[i - 1] == u'.' || safe[i - 1] == u' '); --i) safe[i - 1] = u'_';
  if (safe.empty()) safe = u"_";
  SuffixReservedName(safe);
  return safe;
}

std::u16string NumberedName(const std::u16string& name, unsigned number) {
  std::u16string suffix = u" (";
  for (char c : std::to_string(number)) suffix += static_cast<char16_t>(c);
  suffix += u')';
  std::size_t dot = name.rfind(u'.');
  if (dot == std::u16string::npos || dot == 0) return name + suffix;
  return name.substr(0, dot) + suffix + name.substr(dot);
}

std::u16string NameKey(const std::u16string& path) {
  std::u16string key = path;
  for (char16_t& c : key) c = Upper(c);
  return key;
}
