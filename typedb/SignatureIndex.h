// The signatures of one dictionary bucket, indexed by one byte that each must
// hold, so that a block is matched only against the signatures that can
// match it. The answer is the plain one: the first signature of the bucket,
// in its order, whose chain matches.
//
// A signature's key is a byte of its first element, which is compared at its
// own offset: the one that the fewest byte values pass. A first element that
// searches with a step, reads an indirect value or whose bytes all pass any
// value has no key; such a signature is tried at every block. A signature
// whose key no byte value passes can never match and is never tried.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "TypeEntry.h"

class SignatureIndex {
 public:
  // first: the bucket's first entry, the rest linked through nextInBucket.
  // firstByteKnown: the block's first byte chose the bucket, so a key at
  // offset 0 is taken from the bytes after it where the pattern has any.
  void Build(const TypeEntry* first, bool firstByteKnown);

  bool empty() const { return entries_.empty(); }

  // The last element of the first matching chain, as MatchChain gives it;
  // null when none matches. Reads only data[0 .. length-1].
  const TypeEntry* FirstMatch(const uint8_t* data, int32_t length) const;

 private:
  static constexpr std::size_t kBitsPerWord = 64;
  static constexpr std::size_t kRows = 256;
  static constexpr std::size_t kRowBitWords = kRows / kBitsPerWord;

  // The group of the signatures whose key lies at position.
  std::size_t GroupAt(int32_t position);
  void SetBit(uint64_t* words, std::size_t n) const;

  std::vector<const TypeEntry*> entries_;
  std::size_t words_ = 0;          // bits for every entry: words per row
  std::vector<uint64_t> keyless_;  // tried at every block
  // The key positions, ascending; for each, by the value found there, 256
  // rows with one bit set per signature that value lets through.
  std::vector<int32_t> positions_;
  std::vector<uint64_t> passing_;
  // For each key position, the values that let any signature through: 256
  // bits that stay in the cache, so that the rows are read only on a hit.
  std::vector<uint64_t> anyPassing_;
};
