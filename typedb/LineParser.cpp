#include "LineParser.h"

#include <cstdint>
#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The characters that end an operator expression.
bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsOctal(char c) { return c >= '0' && c <= '7'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reading position inside one line; nothing is read past its end.
class Cursor {
 public:
  Cursor(const char* text, std::size_t length) : at_(text), end_(text + length) {}

  bool AtEnd() const { return at_ == end_; }
  char Peek() const { return AtEnd() ? '\0' : *at_; }
  bool PeekIs(char c) const { return !AtEnd() && *at_ == c; }
  char PeekAfter() const { return end_ - at_ < 2 ? '\0' : at_[1]; }
  void Advance() { ++at_; }
  const char* At() const { return at_; }
  std::size_t Left() const { return static_cast<std::size_t>(end_ - at_); }

  bool Take(char c) {
    if (!PeekIs(c)) return false;
    ++at_;
    return true;
  }
  // True when at least one blank was skipped.
  bool SkipBlanks() {
    const char* start = at_;
    while (!AtEnd() && IsBlank(*at_)) ++at_;
    return at_ != start;
  }

 private:
  const char* at_;
  const char* end_;
};

// Digits in the given base, kept to 32 bits; false without a single digit.
bool ReadDigits(Cursor& cursor, uint32_t base, uint32_t& value) {
  value = 0;
  bool any = false;
  for (;;) {
    int digit = HexValue(cursor.Peek());
    if (digit < 0 || static_cast<uint32_t>(digit) >= base) return any;
    value = value * base + static_cast<uint32_t>(digit);
    any = true;
    cursor.Advance();
  }
}

// The offset and the step: decimal digits stored as 16 bits, which must not
// reach the end of the line.
bool ReadLineNumber(Cursor& cursor, uint16_t& value) {
  uint32_t digits = 0;
  if (!ReadDigits(cursor, 10, digits) || cursor.AtEnd()) return false;
  value = static_cast<uint16_t>(digits);
  return true;
}

// An unsigned number as the C library reads one with base 0: hexadecimal
// after "0x", octal after a leading "0", decimal otherwise.
bool ReadUnsigned(Cursor& cursor, uint32_t& value) {
  if (cursor.PeekIs('0') && (cursor.PeekAfter() == 'x' || cursor.PeekAfter() == 'X')) {
    Cursor hex = cursor;
    hex.Advance();
    hex.Advance();
    if (ReadDigits(hex, 16, value)) {
      cursor = hex;
      return true;
    }
  }
  return ReadDigits(cursor, cursor.PeekIs('0') ? 8 : 10, value);
}

// Copies the characters up to the next blank or the line's end.
bool ReadExtension(Cursor& cursor, TypeEntry& entry) {
  std::size_t n = 0;
  while (!cursor.AtEnd() && !IsBlank(cursor.Peek())) {
    if (n == kExtensionChars) return false;
    entry.extension[n++] = cursor.Peek();
    cursor.Advance();
  }
  entry.extension[n] = '\0';
  return true;
}

// The extension, then after blanks the description: the rest of the line,
// cut to its field.
bool ReadExtensionAndDescription(Cursor& cursor, TypeEntry& entry) {
  if (!ReadExtension(cursor, entry)) return false;
  if (cursor.SkipBlanks() && cursor.AtEnd()) return false;
  std::size_t n = cursor.Left() < kDescriptionChars ? cursor.Left() : kDescriptionChars;
  std::memcpy(entry.description, cursor.At(), n);
  entry.description[n] = '\0';
  return true;
}

bool AddPatternByte(TypeEntry& entry, uint32_t value) {
  if (entry.width == kPatternBytes) return false;
  entry.pattern[entry.width++] = static_cast<uint8_t>(value);
  return true;
}

// One escape after a backslash; a backslash before anything else stands for
// a 0 byte, and that character is read normally.
uint32_t ReadEscape(Cursor& cursor) {
  uint32_t value = 0;
  if (cursor.Take('\\')) return '\\';
  if (cursor.Take('x')) {
    ReadDigits(cursor, 16, value);
  } else if (IsOctal(cursor.Peek())) {
    ReadDigits(cursor, 8, value);
  }
  return value;
}

bool ReadQuoted(Cursor& cursor, TypeEntry& entry) {
  cursor.Advance();
  for (;;) {
    if (cursor.AtEnd()) return false;
    char c = cursor.Peek();
    cursor.Advance();
    if (c == '"') return true;
    uint32_t value = static_cast<uint8_t>(c);
    if (c == '\\') {
      if (cursor.AtEnd()) return false;
      value = ReadEscape(cursor);
    }
    if (!AddPatternByte(entry, value)) return false;
  }
}

// The number's low width bytes, most significant first.
void StoreBigEndian(uint32_t value, int width, uint8_t* bytes) {
  for (int i = 0; i < width; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * (width - 1 - i)));
}

// A number that begins with "0"; its width follows from how it is written.
bool ReadNumeric(Cursor& cursor, TypeEntry& entry) {
  const char* start = cursor.At();
  uint32_t value = 0;
  ReadUnsigned(cursor, value);
  std::size_t chars = static_cast<std::size_t>(cursor.At() - start);
  std::size_t width = chars < 2 ? 0 : (chars - 2) / 2;
  if (width < 1 || width > 4) return false;
  entry.width = static_cast<uint16_t>(width);
  StoreBigEndian(value, entry.width, entry.pattern);
  if (cursor.Take('&')) {
    uint32_t mask = 0;
    if (!ReadUnsigned(cursor, mask) || !IsBlank(cursor.Peek()) || width == 3) return false;
    StoreBigEndian(mask, entry.width, entry.pattern + kMaskStart);
    entry.masked = true;
    return true;
  }
  return IsBlank(cursor.Peek());
}

// ">" or ">>" and the operator expression; what follows the white space is
// not read.
bool ReadIndirect(Cursor& cursor, TypeEntry& entry) {
  cursor.Advance();
  entry.width = cursor.Take('>') ? 4 : 2;
  int words = 0;
  for (;;) {
    if (cursor.AtEnd()) return false;
    char c = cursor.Peek();
    if (IsWhiteSpace(c)) break;
    uint32_t word = 0;
    if (IsDecimal(c)) {
      ReadDigits(cursor, 10, word);
    } else if (c == '*' || c == '+') {
      word = c == '*' ? kMultiply : kAdd;
      cursor.Advance();
    } else {
      return false;
    }
    if (words == 2 * kMaxOperatorPairs + 1) return false;
    if (words < 2 * kMaxOperatorPairs) {  // an odd last word is ignored
      entry.pattern[2 * words] = static_cast<uint8_t>(word);
      entry.pattern[2 * words + 1] = static_cast<uint8_t>(word >> 8);
    }
    ++words;
  }
  entry.step = static_cast<uint16_t>(words / 2);
  entry.indirect = true;
  entry.continued = true;
  return true;
}

// After a quoted or numeric pattern: "-" to go on in the next line, or the
// extension with its description.
bool ReadEnding(Cursor& cursor, TypeEntry& entry) {
  cursor.SkipBlanks();
  if (cursor.Take('-')) {
    entry.continued = true;
    return true;
  }
  return cursor.PeekIs('.') && ReadExtensionAndDescription(cursor, entry);
}

bool ReadSignature(Cursor& cursor, ParsedLine& line) {
  TypeEntry& entry = line.entry;
  line.continuation = cursor.Take('+');
  entry.disabled = cursor.Take('!');
  uint16_t offset = 0;
  if (!ReadLineNumber(cursor, offset)) return false;
  entry.offset = static_cast<int16_t>(offset);
  if (cursor.Take('/') && !ReadLineNumber(cursor, entry.step)) return false;
  cursor.SkipBlanks();
  switch (cursor.Peek()) {
    case '"':
      return ReadQuoted(cursor, entry) && ReadEnding(cursor, entry);
    case '0':
      return ReadNumeric(cursor, entry) && ReadEnding(cursor, entry);
    case '>':
      return ReadIndirect(cursor, entry);
    default:
      return false;
  }
}

// "#V..." or "#v..." of at least four characters names the version: the text
// after the first space, blanks skipped.
ParsedLine ReadComment(Cursor cursor) {
  ParsedLine line;
  const char* hash = cursor.At();
  if (cursor.Left() < 4 || (hash[1] != 'V' && hash[1] != 'v')) return line;
  while (!cursor.AtEnd() && !cursor.PeekIs(' ')) cursor.Advance();
  cursor.SkipBlanks();
  if (cursor.AtEnd()) return line;
  line.kind = LineKind::kVersion;
  line.version.assign(cursor.At(), cursor.Left());
  return line;
}

}  // namespace

ParsedLine ParseDictionaryLine(const char* text, std::size_t length) {
  ParsedLine line;
  if (length > kMaxLineChars) {
    line.kind = LineKind::kInvalid;
    return line;
  }
  Cursor cursor(text, length);
  cursor.SkipBlanks();
  if (cursor.AtEnd()) return line;
  if (cursor.PeekIs('#')) return ReadComment(cursor);
  if (cursor.PeekIs('.')) {
    line.kind = ReadExtensionAndDescription(cursor, line.entry) ? LineKind::kExtensionOnly : LineKind::kInvalid;
    line.entry.offset = kNoOffset;
    return line;
  }
  line.kind = ReadSignature(cursor, line) ? LineKind::kSignature : LineKind::kInvalid;
  return line;
}
