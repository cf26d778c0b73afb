#include "Scrambling.h"

namespace {

constexpr uint32_t kFirstKey = 0x5A3C96E1;
constexpr char kPadding = 'Q';
constexpr std::size_t kMaxPadding = 3;

enum class Direction { kScramble, kUnscramble };

// bytes holds n rounded up to whole words.
void WalkKey(uint8_t* bytes, std::size_t n, Direction direction) {
  uint32_t key = kFirstKey;
  for (std::size_t i = 0; i < n; i += 4) {
    uint8_t stored = bytes[i + 1];
    for (std::size_t j = 0; j < 4; ++j) bytes[i + j] ^= static_cast<uint8_t>(key >> (8 * j));
    uint8_t scrambled = direction == Direction::kUnscramble ? stored : bytes[i + 1];
    key = (key << 8) + scrambled;
  }
}

}  // namespace

std::size_t UnscrambleDictionary(std::vector<uint8_t>& buffer, std::size_t n) {
  buffer.resize(n + kScrambleSpareBytes, 0);
  WalkKey(buffer.data(), n, Direction::kUnscramble);
  std::size_t length = n;
  while (length > 0 && n - length < kMaxPadding && buffer[length - 1] == kPadding) buffer[--length] = 0;
  return length;
}

bool ScrambleDictionary(const std::string& text, std::string& scrambled) {
  if (!text.empty() && text.back() == kPadding) return false;
  std::vector<uint8_t> bytes(text.begin(), text.end());
  while (bytes.size() % 4 != 0) bytes.push_back(kPadding);
  WalkKey(bytes.data(), bytes.size(), Direction::kScramble);
  scrambled.assign(bytes.begin(), bytes.end());
  return true;
}
