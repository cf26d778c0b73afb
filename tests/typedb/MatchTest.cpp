#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestDictionaries.h"
#include "TypeDB.h"

namespace {

// A dictionary of the given lines; Match tells the extension found for data.
class TypeDBMatch : public ::testing::Test {
 protected:
  void Use(const std::string& text) { ASSERT_TRUE(LoadDictionaryText(dictionary_, text)) << dictionary_.ErrorText(); }
  std::string Match(const std::vector<uint8_t>& data) {
    bool found = Identify(dictionary_, data);
    EXPECT_EQ(found, *dictionary_.MatchExtension() != '\0');
    return dictionary_.MatchExtension();
  }
  std::string Match(const std::string& data) { return Match(Bytes(data)); }

  TypeDB dictionary_;
};

// "IND" with a 16-bit value at 4 and "HERE" at the given position.
std::vector<uint8_t> PointerBlock(int16_t value, std::size_t here, std::size_t size) {
  std::string pointer{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
  return Block(size, {{0, "IND"}, {4, pointer}, {here, "HERE"}});
}

}  // namespace

TEST_F(TypeDBMatch, OffsetZeroWinsOverEarlierOtherOffset) {
  Use("2 \"CD\" .late\n0 \"AB\" .early\n");
  EXPECT_EQ(Match("ABCD"), ".early");
  EXPECT_EQ(Match("xxCD"), ".late");
}

TEST_F(TypeDBMatch, EarlierLineWinsWithinABucket) {
  Use("0 \"AB\" .ab\n0 \"A\" .a\n1 \"Z\" .z1\n2 \"Z\" .z2\n1 \"ZZ\" .zz\n");
  EXPECT_EQ(Match("ABC"), ".ab");
  EXPECT_EQ(Match("AC"), ".a");
  EXPECT_EQ(Match("xZZ"), ".z1");
  EXPECT_EQ(Match("xxZ"), ".z2");
}

TEST_F(TypeDBMatch, SteppedSignatureAtOffsetZeroNeedsItsFirstByte) {
  Use("0/2 \"XY\" .xy\n");
  EXPECT_EQ(Match("XaXY"), ".xy");
  EXPECT_EQ(Match("XaaXY"), "");  // off the steps
  EXPECT_EQ(Match(Bytes("\x01\x02XY", 4)), "");  // another first byte: not tried
}

TEST_F(TypeDBMatch, SteppedSignatureAtOtherOffsetScansAllData) {
  Use("1/3 \"Z\" .z\n");
  EXPECT_EQ(Match(Bytes("\x01\x01\x01\x01Z", 5)), ".z");
  EXPECT_EQ(Match(Bytes("\x01\x01Z", 3)), "");
}

TEST_F(TypeDBMatch, PatternsPastTheDataNeverMatch) {
  Use("0 \"ABCD\" .abcd\n3 \"D\" .d\n");
  EXPECT_EQ(Match(Bytes("ABC", 3)), "");
  EXPECT_EQ(Match(std::vector<uint8_t>{'A'}), "");
}

TEST_F(TypeDBMatch, NumericPatterns) {
  Use("0 0x123 .low\n"          // five characters: one byte, 0x23
      "0 0101 .octal\n"         // 'A'
      "0 0x42434445 .four\n"    // most significant first
      "0 0x4600&0xFFF0 .masked\n"
      "0 0x47&255 .decimal\n");  // a decimal mask
  EXPECT_EQ(Match("#"), ".low");
  EXPECT_EQ(Match(Bytes("\x01#", 2)), "");
  EXPECT_EQ(Match("A"), ".octal");
  EXPECT_EQ(Match("BCDE"), ".four");
  EXPECT_EQ(Match("BCD"), "");
  EXPECT_EQ(Match(Bytes("F\x05", 2)), ".masked");
  EXPECT_EQ(Match(Bytes("F\x15", 2)), "");
  EXPECT_EQ(Match("G"), ".decimal");
}

TEST_F(TypeDBMatch, QuotedEscapes) {
  Use("0 \"\\\\\\x41\\101\\x141\\x\\q\" .escapes\n"  // \ A A A 0 0 q
      "0 \"B\\\" .quote\n");                      // a backslash before the quote: 0
  EXPECT_EQ(Match(Bytes("\\AAA\0\0q", 7)), ".escapes");
  EXPECT_EQ(Match(Bytes("B\0", 2)), ".quote");
}

TEST_F(TypeDBMatch, ChainNeedsEveryElement) {
  Use("0 \"RIFF\" -\n+8 \"AVI\" .avi\n0 \"RIFF\" -\n+8 \"WAVE\" .wav\n");
  EXPECT_EQ(Match("RIFFxxxxAVI "), ".avi");
  EXPECT_EQ(Match("RIFFxxxxWAVE"), ".wav");
  EXPECT_EQ(Match("RIFFxxxxWAV"), "");
}

// A line after "-" continues the signature even without its "+".
TEST_F(TypeDBMatch, LineAfterDashContinues) {
  Use("0 \"A\" -\n1 \"B\" .ab\n");
  EXPECT_EQ(Match("AB"), ".ab");
  EXPECT_EQ(Match("xB"), "");
}

TEST_F(TypeDBMatch, DisabledLineDisablesItsChain) {
  Use("0 \"AB\" -\n+!2 \"C\" .abc\n!0 \"X\" .x\n0 \"AB\" .ab\n0 \"P\" -\n+!1 >> off\n+0 \"Q\" .pq\n");
  EXPECT_EQ(Match("ABC"), ".ab");
  EXPECT_EQ(Match("X"), "");
  EXPECT_EQ(Match(Block(300, {{0, "P"}, {1, "\x05"}, {5, "Q"}})), "");
}

TEST_F(TypeDBMatch, ExtensionOnlyAndOffsetMinusOneNeverMatch) {
  Use(".jpg JPEG\n65535 \"A\" .a\n0 \"A\" -\n.b\n");
  EXPECT_EQ(Match("A"), "");
}

TEST_F(TypeDBMatch, IndirectValueBecomesTheBase) {
  Use("0 \"IND\" -\n+4 > pointer\n+0 \"HERE\" .here\n");
  EXPECT_EQ(Match(PointerBlock(300, 300, 556)), ".here");
  EXPECT_EQ(Match(PointerBlock(300, 300, 555)), "");  // the base needs 256 bytes behind it
  EXPECT_EQ(Match(PointerBlock(300, 301, 600)), "");
}

TEST_F(TypeDBMatch, IndirectOperators) {
  Use("0 \"IND\" -\n+4 >*3+100+65534 x\n+0 \"HERE\" .calc\n"
      "0 \"IND\" -\n+4 >7*40 x\n+0 \"HERE\" .set\n");  // operator 7 sets; 40 alone is ignored
  EXPECT_EQ(Match(PointerBlock(50, 248, 600)), ".calc");  // 50 * 3 + 100 - 2
  EXPECT_EQ(Match(PointerBlock(1, 42, 600)), ".set");
}

// The 16-bit value is signed: -1 puts the base before the data, where only
// positions from 1 on exist.
TEST_F(TypeDBMatch, IndirectValueIsSigned) {
  Use("0 \"IND\" -\n+4 > x\n+0 \"I\" .zero\n0 \"IND\" -\n+4 > x\n+1 \"I\" .one\n");
  EXPECT_EQ(Match(PointerBlock(-1, 8, 300)), ".one");
}

TEST_F(TypeDBMatch, IndirectThirtyTwoBitsAndOwnOffsetUnshifted) {
  Use("0 \"IND\" -\n+4 >> first\n+8 >> second, at 8 of the data\n+0 \"HERE\" .two\n");
  const std::string second("\x00\x02\0\0", 4);  // 512
  EXPECT_EQ(Match(Block(800, {{0, "IND"}, {4, std::string("\x10\0\0\0", 4)}, {8, second}, {512, "HERE"}})), ".two");
  EXPECT_EQ(Match(Block(800, {{0, "IND"}, {4, std::string("\0\0\0\x01", 4)}, {8, second}, {512, "HERE"}})), "");
}

TEST_F(TypeDBMatch, ChainEndingInIndirectNeverMatches) {
  Use("0 \"IND\" -\n+4 > x\n");
  EXPECT_EQ(Match(PointerBlock(0, 0, 300)), "");
}

// A top-level indirect element at offset 0 is filed under its first operator
// word: here "*", 42.
TEST_F(TypeDBMatch, IndirectAtOffsetZeroIsInTheBucketOfItsOperator) {
  Use("0 >*1 x\n+0 \"\\0\" .star\n");  // reads 42 from "*" 00
  EXPECT_EQ(Match(Block(300, {{0, "*"}})), ".star");
  EXPECT_EQ(Match(Block(300, {{0, "+"}})), "");
}

TEST_F(TypeDBMatch, TextTypeForPrintableOrEmptyData) {
  Use("0 \"BIN\" .bin\n.txt Plain text\n");
  EXPECT_EQ(Match(""), ".txt");
  EXPECT_TRUE(dictionary_.IdentifyType(nullptr, -5));
  EXPECT_EQ(Match("Line one\r\n\tLine two ~"), ".txt");
  EXPECT_EQ(Match(Bytes("text\x7F", 5)), "");
  EXPECT_EQ(Match(Bytes("text\x80", 5)), "");
  EXPECT_EQ(Match(std::string(256, 'a') + "\x01"), ".txt");  // only 256 bytes are looked at
  EXPECT_EQ(Match("BINARY"), ".bin");
}

TEST_F(TypeDBMatch, NoTextTypeNoMatch) {
  Use("0 \"BIN\" .bin\n");
  EXPECT_EQ(Match("printable"), "");
  EXPECT_FALSE(dictionary_.IdentifyType(nullptr, 0));
}

TEST_F(TypeDBMatch, MatchProperties) {
  Use("0 \"J\" .jpg +JPEG\n0 \"C\" .CSV\n0 \"M\" .Mpg\n0 \"D\" .doc Document\n.txt\n");
  struct Case {
    const char* data;
    bool distinct;
    bool picture;
  };
  const Case cases[] = {{"J", true, true},  {"C", false, false}, {"M", false, false},
                        {"D", true, false}, {"text", false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    ASSERT_NE(Match(c.data), "");
    EXPECT_EQ(dictionary_.MatchIsDistinct(), c.distinct);
    EXPECT_EQ(dictionary_.MatchIsPicture(), c.picture);
  }
  EXPECT_EQ(Match(std::vector<uint8_t>{0x01}), "");
  EXPECT_FALSE(dictionary_.MatchIsDistinct());
  EXPECT_FALSE(dictionary_.MatchIsPicture());
}

TEST_F(TypeDBMatch, CsvSignatureThatFailsItsTestGoesOnToTheNext) {
  Use("0 \"\\42\" .csv\n0 \"\\42\" .quoted\n");
  EXPECT_EQ(Match("\"a\",\"b\",\"c\""), ".csv");
  EXPECT_EQ(Match("\"no commas here\""), ".quoted");
}
