#include "SignatureIndex.h"

#include <algorithm>

#include "ChainMatch.h"

namespace {

constexpr int kByteValues = 256;

enum class KeyKind { kNone, kByte, kNeverMatches };

struct Key {
  KeyKind kind = KeyKind::kNone;
  int32_t position = 0;
  uint8_t value = 0;
  uint8_t mask = 0xFF;
};

uint8_t MaskOf(const TypeEntry& element, int i) { return element.masked ? element.pattern[kMaskStart + i] : 0xFF; }

// How many byte values pass (byte & mask) == value.
int Passing(uint8_t value, uint8_t mask) {
  if ((value & ~mask) != 0) return 0;
  int wildcards = 0;
  for (int bit = 0; bit < 8; ++bit) wildcards += (mask >> bit & 1) == 0;
  return 1 << wildcards;
}

// The most selective byte, the later one among equals: signatures that share
// a prefix ("ftyp...") then spread over more values.
Key KeyOf(const TypeEntry& first, bool firstByteKnown) {
  Key key;
  if (first.indirect || first.step != 0 || first.offset < 0) return key;
  const int from = firstByteKnown && first.offset == 0 ? 1 : 0;
  const int width = std::min<int>(first.width, first.masked ? kPatternBytes - kMaskStart : kPatternBytes);
  int fewest = kByteValues;
  for (int i = from; i < width; ++i) {
    const int passing = Passing(first.pattern[i], MaskOf(first, i));
    if (passing > fewest) continue;
    fewest = passing;
    key.position = first.offset + i;
    key.value = first.pattern[i];
    key.mask = MaskOf(first, i);
  }
  if (fewest == 0) key.kind = KeyKind::kNeverMatches;
  else if (fewest < kByteValues) key.kind = KeyKind::kByte;
  return key;
}

int CountTrailingZeros(uint64_t bits) { return __builtin_ctzll(bits); }

}  // namespace

void SignatureIndex::Build(const TypeEntry* first, bool firstByteKnown) {
  entries_.clear();
  positions_.clear();
  passing_.clear();
  anyPassing_.clear();
  for (const TypeEntry* entry = first; entry != nullptr; entry = entry->nextInBucket) entries_.push_back(entry);
  words_ = (entries_.size() + kBitsPerWord - 1) / kBitsPerWord;
  keyless_.assign(words_, 0);
  for (std::size_t n = 0; n < entries_.size(); ++n) {
    const Key key = KeyOf(*entries_[n], firstByteKnown);
    if (key.kind == KeyKind::kNone) SetBit(keyless_.data(), n);
    if (key.kind != KeyKind::kByte) continue;
    const std::size_t group = GroupAt(key.position);
    uint64_t* rows = &passing_[group * kRows * words_];
    for (std::size_t value = 0; value < kRows; ++value) {
      if ((value & key.mask) != key.value) continue;
      SetBit(rows + value * words_, n);
      anyPassing_[group * kRowBitWords + value / kBitsPerWord] |= uint64_t{1} << (value % kBitsPerWord);
    }
  }
}

std::size_t SignatureIndex::GroupAt(int32_t position) {
  const auto at = std::lower_bound(positions_.begin(), positions_.end(), position);
  const std::size_t group = static_cast<std::size_t>(at - positions_.begin());
  if (at == positions_.end() || *at != position) {
    positions_.insert(at, position);
    passing_.insert(passing_.begin() + static_cast<std::ptrdiff_t>(group * kRows * words_), kRows * words_, 0);
    anyPassing_.insert(anyPassing_.begin() + static_cast<std::ptrdiff_t>(group * kRowBitWords), kRowBitWords, 0);
  }
  return group;
}

void SignatureIndex::SetBit(uint64_t* words, std::size_t n) const {
  words[n / kBitsPerWord] |= uint64_t{1} << (n % kBitsPerWord);
}

// A key past the data belongs to a pattern that runs past it too: those
// signatures cannot match and are left out.
const TypeEntry* SignatureIndex::FirstMatch(const uint8_t* data, int32_t length) const {
  const std::size_t groupWords = kRows * words_;
  for (std::size_t w = 0; w < words_; ++w) {
    uint64_t candidates = keyless_[w];
    const uint64_t* rows = passing_.data() + w;
    for (std::size_t g = 0; g < positions_.size() && positions_[g] < length; ++g, rows += groupWords) {
      const std::size_t value = data[positions_[g]];
      if ((anyPassing_[g * kRowBitWords + value / kBitsPerWord] >> (value % kBitsPerWord) & 1) != 0)
        candidates |= rows[value * words_];
    }
    while (candidates != 0) {
      const std::size_t n = w * kBitsPerWord + static_cast<std::size_t>(CountTrailingZeros(candidates));
      candidates &= candidates - 1;
      if (const TypeEntry* last = MatchChain(entries_[n], data, length)) return last;
    }
  }
  return nullptr;
}
