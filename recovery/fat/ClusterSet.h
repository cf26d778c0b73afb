// A set of cluster numbers below a bound, one bit each. Numbers at or beyond
// the bound are never in it, and adding them does nothing.
#pragma once

#include <cstdint>
#include <vector>

class ClusterSet {
 public:
  // Empties the set and makes it hold the numbers below bound.
  void reset(uint32_t bound) {
    bits_.assign(bound / 8 + 1, 0);
    bound_ = bound;
  }
  bool has(uint32_t cluster) const { return cluster < bound_ && (bits_[cluster / 8] & Bit(cluster)) != 0; }
  void add(uint32_t cluster) {
    if (cluster < bound_) bits_[cluster / 8] |= Bit(cluster);
  }
  void remove(uint32_t cluster) {
    if (cluster < bound_) bits_[cluster / 8] &= static_cast<uint8_t>(~Bit(cluster));
  }

 private:
  static uint8_t Bit(uint32_t cluster) { return static_cast<uint8_t>(1u << (cluster & 7)); }

  std::vector<uint8_t> bits_;
  uint32_t bound_ = 0;
};
