// One line of the file-type dictionary: a signature element or an
// extension-only entry. Entries are owned by their TypeDB.
#pragma once

#include <cstdint>

constexpr int kPatternBytes = 48;
constexpr int kMaskStart = 8;  // a numeric pattern's mask bytes begin at the ninth byte
constexpr int kMaxOperatorPairs = 12;
constexpr int kExtensionChars = 8;  // including the leading "."
constexpr int kDescriptionChars = 40;

// The offset of an extension-only entry: never indexed, never matched.
constexpr int16_t kNoOffset = -1;

// Operator words of an indirect element; any other word replaces the value.
constexpr uint16_t kMultiply = 42;  // "*"
constexpr uint16_t kAdd = 43;       // "+"

struct TypeEntry {
  TypeEntry* nextEntry;     // next top-level entry, in file order
  TypeEntry* nextInBucket;  // next top-level entry of the same bucket
  TypeEntry* nextElement;   // the following "+" line of this signature
  int16_t offset;
  uint16_t width;  // pattern bytes compared; 2 or 4 for an indirect element
  uint16_t step;   // search step; the number of operator pairs for an indirect element
  // Quoted bytes; or a numeric value (first bytes) with its mask (from kMaskStart);
  // or an indirect element's operator words, little-endian pairs (operator, operand).
  uint8_t pattern[kPatternBytes];
  bool masked;
  bool continued;
  bool disabled;
  bool indirect;
  char extension[kExtensionChars + 1];
  char description[kDescriptionChars + 1];
};

// The n-th 16-bit word of an indirect element's operator expression.
inline uint16_t OperatorWord(const TypeEntry& entry, int n) {
  return static_cast<uint16_t>(entry.pattern[2 * n] | entry.pattern[2 * n + 1] << 8);
}
