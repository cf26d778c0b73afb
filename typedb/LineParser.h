// The grammar of one line of the file-type dictionary (after unscrambling,
// without its LF and its one trailing CR).
//
// Beyond the format itself, a line is invalid when it breaks one of the
// format's limits: more than 255 characters, a quoted pattern without its
// closing quote or of more than 48 bytes, more than 12 operator pairs, an
// extension of more than 8 characters, or blanks after an extension with no
// description behind them.
#pragma once

#include <cstddef>
#include <string>

#include "TypeEntry.h"

constexpr std::size_t kMaxLineChars = 255;

enum class LineKind {
  kIgnored,        // empty, blank or a comment
  kVersion,        // a version comment
  kExtensionOnly,  // an extension with an optional description
  kSignature,
  kInvalid,
};

struct ParsedLine {
  LineKind kind = LineKind::kIgnored;
  bool continuation = false;  // the signature line began with "+"
  TypeEntry entry{};          // for kExtensionOnly and kSignature
  std::string version;        // for kVersion
};

ParsedLine ParseDictionaryLine(const char* text, std::size_t length);
