#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "Context.h"
#include "System.h"
#include "Utilities.h"

namespace {

class UtilitiesTest : public ::testing::Test {
 protected:
  void SetUp() override { TheContext().NumberFormat = NumberFormatFor("3;0", ","); }
};

constexpr int64_t kMiB = 1048576;

}  // namespace

TEST_F(UtilitiesTest, FormatSizeTruncatesItsHundredths) {
  EXPECT_EQ(FormatSize(0, true), "0.00 KB (0 bytes)");
  EXPECT_EQ(FormatSize(1048575, false), "1023.99 KB");
  EXPECT_EQ(FormatSize(1048576, false), "1.00 MB");
  EXPECT_EQ(FormatSize(1999 * kMiB, false), "1999.00 MB");
  EXPECT_EQ(FormatSize(2000 * kMiB, false), "1.95 GB");
  EXPECT_EQ(FormatSize(5000000000LL, false), "4.65 GB");
  EXPECT_EQ(FormatSize(5000000000LL, true), "4.65 GB (5,000,000,000 bytes)");
  EXPECT_EQ(FormatSize(1536, true), "1.50 KB (1,536 bytes)");
}

TEST_F(UtilitiesTest, FormatSizeOfHugeCounts) {
  EXPECT_EQ(FormatSize(INT64_MAX, false), "8589934591.99 GB");
  EXPECT_EQ(FormatSize(-5, false), "0.00 KB");
}

TEST_F(UtilitiesTest, GroupDigitsFollowsTheGroupingRule) {
  NumberFormatRecord format = NumberFormatFor("3", ",");
  EXPECT_EQ(GroupDigits("5000000000", format), "5,000,000,000");
  EXPECT_EQ(GroupDigits("999", format), "999");
  EXPECT_EQ(GroupDigits("1000", format), "1,000");
  EXPECT_EQ(GroupDigits("-1234567", format), "-1,234,567");
  EXPECT_EQ(GroupDigits("0", format), "0");
  EXPECT_EQ(GroupDigits("123456789", NumberFormatFor("32", ",")), "12,34,56,789");
  EXPECT_EQ(GroupDigits("123456789", NumberFormatFor("30", ",")), "123456,789");
  EXPECT_EQ(GroupDigits("123456789", NumberFormatFor("0", ",")), "123456789");
  EXPECT_EQ(GroupDigits("1234567", NumberFormatFor("3", ".")), "1.234.567");
}

TEST_F(UtilitiesTest, FormatInt64CoversTheWholeRange) {
  EXPECT_EQ(FormatInt64(0), "0");
  EXPECT_EQ(FormatInt64(INT64_MIN), "-9223372036854775808");
  EXPECT_EQ(FormatInt64(INT64_MAX), "9223372036854775807");
}

TEST_F(UtilitiesTest, ParentPathCutsAtTheLastSeparator) {
  std::string sep(1, kPathSeparator);
  EXPECT_EQ(ParentPath("D:" + sep + "Images" + sep + "card.img"), "D:" + sep + "Images");
  EXPECT_EQ(ParentPath("card.img"), "");
  EXPECT_EQ(ParentPath(sep + "card.img"), "");
  EXPECT_EQ(ParentPath(""), "");
}

TEST_F(UtilitiesTest, TrimRightRemovesBlanksOnly) {
  std::string text = "SD Reader   ";
  TrimRight(text);
  EXPECT_EQ(text, "SD Reader");
  text = "tab\t ";
  TrimRight(text);
  EXPECT_EQ(text, "tab\t");
  text = "    ";
  TrimRight(text);
  EXPECT_EQ(text, "    ");
  text = "";
  TrimRight(text);
  EXPECT_EQ(text, "");
}

TEST_F(UtilitiesTest, TimestampTextNamesTheVersion) {
  std::string header = TimestampText();
  EXPECT_NE(header.find("Vantrel"), std::string::npos);
  EXPECT_EQ(header.substr(header.size() - 2), "\r\n");
}
