// The Windows answers of the system seam.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Context.h"
#include "System.h"
#include "Utilities.h"

TEST(SystemWin32, ModuleWithoutVersionResource) {
  EXPECT_EQ(ProductVersionText(GetModuleHandleA(nullptr)), "** NoVer **");
}

TEST(SystemWin32, DllVersion) {
  EXPECT_GE(ModuleDllVersion("comctl32.dll"), 1u * 65536u);
  EXPECT_EQ(ModuleDllVersion("kernel32.dll"), 0u);  // no DllGetVersion
  EXPECT_EQ(ModuleDllVersion("no-such-library.dll"), 0u);
}

TEST(SystemWin32, MessageTextEndsBeforeItsLineBreak) {
  std::string text = SystemMessageText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.find('\n'), std::string::npos);
}

TEST(SystemWin32, DocumentsFolderExistsAndEndsWithBackslash) {
  std::string folder = GetSpecialFolder(kFolderPersonal);
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '\\');
  DWORD attributes = GetFileAttributesA(folder.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetSpecialFolder(9999), "");
}

TEST(SystemWin32, PlatformGroupingAgreesWithThePortableOne) {
  const char* groupings[] = {"3", "32", "0"};
  const char* numbers[] = {"0", "999", "1000", "5000000000", "-1234567", "9223372036854775807"};
  for (const char* grouping : groupings) {
    TheContext().NumberFormat = NumberFormatFor(grouping, ",");
    for (const char* number : numbers)
      EXPECT_EQ(GroupNumber(number), GroupDigits(number, TheContext().NumberFormat)) << grouping << " " << number;
  }
  TheContext().NumberFormat = NumberFormatFor("3", ",");
}

TEST(SystemWin32, LocaleFormatsTheDateAndTime) {
  CalendarTime time;
  time.year = 2026;
  time.month = 12;
  time.day = 8;
  time.hour = 14;
  time.minute = 5;
  time.second = 9;
  std::string date, clock;
  ASSERT_TRUE(FormatShortDate(time, date));
  ASSERT_TRUE(FormatTimeOfDay(time, clock));
  EXPECT_NE(date.find("2026"), std::string::npos);
  EXPECT_NE(clock.find("05"), std::string::npos);
  time.month = 13;
  EXPECT_FALSE(FormatShortDate(time, date));
}
