#include <gtest/gtest.h>

#include <string>

#include "Format.h"

TEST(Format, ConversionsAndSizePrefixes) {
  EXPECT_EQ(Format("%s|%c|%d|%i|%u", "text", 'Z', -12, 7, 4000000000u), "text|Z|-12|7|4000000000");
  EXPECT_EQ(Format("%x|%X|%lx|%lu|%ld", 255, 0xABCDEF, 0xDEADBEEFu, 4000000000u, -3), "ff|ABCDEF|deadbeef|4000000000|-3");
  EXPECT_EQ(Format("%I64d|%I64u|%I64X", -5000000000LL, 18446744073709551615ULL, 0xABCDEF0123ULL),
            "-5000000000|18446744073709551615|ABCDEF0123");
  EXPECT_EQ(Format("%u|%d", -1, 0x80000000u), "4294967295|-2147483648");
}

TEST(Format, WidthPrecisionAndFlags) {
  EXPECT_EQ(Format("%04X|%-8s|%10s|%20.20s", 0xab, "ab", "cd", "0123456789012345678901234567890"),
            "00AB|ab      |        cd|01234567890123456789");
  EXPECT_EQ(Format("%08d|%-08d|%00005d", -42, -42, 3), "-0000042|-42     |00003");
  EXPECT_EQ(Format("%.3u|%8.3d|%08.3d", 7, -7, -7), "007|     -07|-0000007");
  EXPECT_EQ(Format("%#x|%#X|%#x|%#d", 255, 255, 0, 5), "0xff|0XFF|0x0|5");
  EXPECT_EQ(Format("%#010x|%-#10x|", 255, 255), "0x00000000ff|0xff        |");
  EXPECT_EQ(Format("%-5c|%05c|%.5c", 'a', 'a', 'z'), "a    |    a|z");
  EXPECT_EQ(Format("%.2s|%-5.2s|%05s", "abcdef", "abcdef", "ab"), "ab|ab   |   ab");
}

TEST(Format, MissingPrecisionMeansNone) {
  EXPECT_EQ(Format("%.s|%5.d|%.0d", "abc", 7, 0), "abc|    7|0");
}

TEST(Format, NonConversionsAreCopied) {
  EXPECT_EQ(Format("100%%"), "100%");
  EXPECT_EQ(Format("%q|%+d|% d", 1), "q|+d| d");
  EXPECT_EQ(Format("%1$d", 5), " $d");
  EXPECT_EQ(Format("abc%"), "abc");
  EXPECT_EQ(Format("%l|%I64"), "|");
}

TEST(Format, MismatchedValuesNeverReadBeyondTheList) {
  EXPECT_EQ(Format("%s|%d|%s", 5, "text"), "(null)|0|(null)");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(Format("%d %d %d", 1), "1 0 0");
  EXPECT_EQ(FormatText(nullptr, nullptr, 0), "");
}

TEST(Format, ThirtyTwoBitConversionsTakeTheLowHalf) {
  EXPECT_EQ(Format("%d|%ld|%x", 0x100000002LL, 0x100000000LL, 0x1FFFFFFFFULL), "2|0|ffffffff");
  EXPECT_EQ(Format("%I64d", -1), "-1");  // a 32-bit value keeps its sign when read as 64 bits
}

TEST(Format, OutputIsCutAt1023Characters) {
  std::string big(1199, 'a');
  EXPECT_EQ(Format("%s", big).size(), 1023u);
  EXPECT_EQ(Format("x%sy", big.substr(180)), "x" + big.substr(180) + "y");
  std::string nearlyFull(1022, 'b');
  EXPECT_EQ(Format("%s%d", nearlyFull, 12345), nearlyFull + "1");
  EXPECT_EQ(Format("%2000d", 1).size(), 1023u);
}

TEST(Format, NulCharacterEndsTheText) { EXPECT_EQ(Format("ab%cde", 0), "ab"); }
