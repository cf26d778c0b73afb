#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Scrambling.h"

namespace {

std::string Unscrambled(const std::string& stored) {
  std::vector<uint8_t> buffer(stored.begin(), stored.end());
  std::size_t length = UnscrambleDictionary(buffer, stored.size());
  EXPECT_EQ(buffer.size(), stored.size() + kScrambleSpareBytes);
  return std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
}

}  // namespace

TEST(Scrambling, RoundTripForEveryLengthModuloFour) {
  const std::string line = "0 \"GIF8\" .gif +GIF image\n.txt Plain text\n";
  for (std::size_t length = 0; length <= 12; ++length) {
    std::string text = line.substr(0, length);
    SCOPED_TRACE(length);
    std::string stored;
    ASSERT_TRUE(ScrambleDictionary(text, stored));
    std::size_t padded = (length + 3) / 4 * 4;
    ASSERT_EQ(stored.size(), padded);
    EXPECT_EQ(Unscrambled(stored), text);
    if (length > 0) {
      EXPECT_NE(stored.substr(0, length), text);
    }
  }
}

TEST(Scrambling, PaddingIsQAndBecomesNuls) {
  std::string stored;
  ASSERT_TRUE(ScrambleDictionary("abcde", stored));
  std::vector<uint8_t> buffer(stored.begin(), stored.end());
  ASSERT_EQ(UnscrambleDictionary(buffer, stored.size()), 5u);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 8), std::string("abcde\0\0\0", 8));
}

// The first word is XORed with the first key; the second key takes in the
// first word's scrambled second byte.
TEST(Scrambling, KeyRollsOverTheScrambledBytes) {
  std::string stored;
  ASSERT_TRUE(ScrambleDictionary(std::string(8, '\0'), stored));
  ASSERT_EQ(stored.size(), 8u);
  EXPECT_EQ(stored.substr(0, 4), "\xE1\x96\x3C\x5A");
  // key = 0x5A3C96E1 << 8 + 0x96 = 0x3C96E196
  EXPECT_EQ(stored.substr(4, 4), "\x96\xE1\x96\x3C");
}

TEST(Scrambling, TextEndingInQIsRefused) {
  std::string stored = "unchanged";
  EXPECT_FALSE(ScrambleDictionary("0 \"Q\" .q\n.IQ", stored));
  EXPECT_EQ(stored, "unchanged");
}

// A file not made by the scrambler may end inside a word; its last word
// reaches into the spare bytes, never beyond.
TEST(Scrambling, FileOfAnyLengthUnscramblesInsideItsBuffer) {
  std::string stored;
  ASSERT_TRUE(ScrambleDictionary("abcdefgh", stored));
  EXPECT_EQ(Unscrambled(stored.substr(0, 6)), "abcdef");
  EXPECT_EQ(Unscrambled(""), "");
}

// Only three bytes of padding exist: a fourth "Q" is text.
TEST(Scrambling, AtMostThreeQsArePadding) {
  std::string key;
  ASSERT_TRUE(ScrambleDictionary(std::string(4, '\0'), key));  // the first key's bytes
  std::vector<uint8_t> buffer;
  for (char k : key) buffer.push_back(static_cast<uint8_t>(k ^ 'Q'));
  EXPECT_EQ(UnscrambleDictionary(buffer, 4), 1u);
  EXPECT_EQ(buffer[0], 'Q');
}
