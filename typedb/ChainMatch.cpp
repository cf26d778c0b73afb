#include "ChainMatch.h"

#include <cstring>

#include "ContentChecks.h"

namespace {

// The value an indirect element reads, run through its operator pairs, in
// 32-bit arithmetic; false when the value or the base it gives is outside the
// data. An indirect element's own offset is never shifted by a base.
bool ReadBase(const TypeEntry& element, const uint8_t* data, int32_t length, int64_t& base) {
  int64_t at = element.offset;
  if (at < 0 || at + element.width > length) return false;
  const uint8_t* bytes = data + at;
  uint32_t value = element.width == 2
                       ? static_cast<uint32_t>(static_cast<int16_t>(bytes[0] | bytes[1] << 8))
                       : static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                             static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  for (int pair = 0; pair < element.step && pair < kMaxOperatorPairs; ++pair) {
    uint16_t op = OperatorWord(element, 2 * pair);
    uint32_t operand = static_cast<uint32_t>(static_cast<int16_t>(OperatorWord(element, 2 * pair + 1)));
    if (op == kMultiply) {
      value *= operand;
    } else if (op == kAdd) {
      value += operand;
    } else {
      value = operand;
    }
  }
  if (value + 256u > static_cast<uint32_t>(length)) return false;
  base = static_cast<int32_t>(value);
  return true;
}

bool PatternAt(const TypeEntry& element, const uint8_t* bytes) {
  if (!element.masked) {
    for (int i = 0; i < element.width; ++i) {
      if (bytes[i] != element.pattern[i]) return false;
    }
    return true;
  }
  for (int i = 0; i < element.width; ++i) {
    if ((bytes[i] & element.pattern[kMaskStart + i]) != element.pattern[i]) return false;
  }
  return true;
}

// Compares at the offset, and with a step further on until the data ends.
bool MatchElement(const TypeEntry& element, const uint8_t* data, int32_t length, int64_t base) {
  for (int64_t at = element.offset + base;; at += element.step) {
    if (at < 0 || at + element.width > length) return false;
    if (PatternAt(element, data + at)) return true;
    if (element.step == 0) return false;
  }
}

bool PassesContentCheck(const TypeEntry& last, const uint8_t* data, int32_t length) {
  if (std::strcmp(last.extension, ".csv") == 0) return LooksLikeCsv(data, length);
  if (std::strcmp(last.extension, ".mp3") == 0) return LooksLikeMp3(data, length);
  return true;
}

}  // namespace

const TypeEntry* MatchChain(const TypeEntry* first, const uint8_t* data, int32_t length) {
  int64_t base = 0;  // no base in force adds nothing
  for (const TypeEntry* element = first; element != nullptr; element = element->nextElement) {
    // A "!" line disables its whole chain, an indirect line too.
    if (element->offset == kNoOffset || element->disabled) return nullptr;
    if (element->indirect) {
      if (!ReadBase(*element, data, length, base)) return nullptr;
      continue;
    }
    if (!MatchElement(*element, data, length, base)) return nullptr;
    if (element->nextElement == nullptr) return PassesContentCheck(*element, data, length) ? element : nullptr;
  }
  return nullptr;  // the chain ends with an indirect element
}
