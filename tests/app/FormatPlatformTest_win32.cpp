// The program's formatter against the platform's own wvsprintfA.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "Format.h"

namespace {

std::string Platform(const char* format, ...) {
  char buffer[1100] = {};
  va_list args;
  va_start(args, format);
  wvsprintfA(buffer, format, args);
  va_end(args);
  return buffer;
}

}  // namespace

#define EXPECT_SAME_AS_PLATFORM(...) EXPECT_EQ(Format(__VA_ARGS__), Platform(__VA_ARGS__))

TEST(FormatAgainstPlatform, Conversions) {
  EXPECT_SAME_AS_PLATFORM("%s and %c", "text", 'Z');
  EXPECT_SAME_AS_PLATFORM("%d %i %u", -12, 42, 4000000000u);
  EXPECT_SAME_AS_PLATFORM("%x %X %04X", 0xbeef, 0xbeef, 0xab);
  EXPECT_SAME_AS_PLATFORM("%d %u %x", 0x80000000u, -1, -1);
  EXPECT_SAME_AS_PLATFORM("%lu %ld %lx", 4000000000ul, -3l, 0xdeadbeeful);
  EXPECT_SAME_AS_PLATFORM("%I64d %I64u", -5000000000ll, 18446744073709551615ull);
  EXPECT_SAME_AS_PLATFORM("%I64X %I64x", 0xABCDEF0123ull, 0x123456789abcull);
  EXPECT_SAME_AS_PLATFORM("%s", static_cast<const char*>(nullptr));
}

TEST(FormatAgainstPlatform, WidthsFlagsAndPrecision) {
  EXPECT_SAME_AS_PLATFORM("[%-8s][%10s][%20.20s]", "ab", "cd", "0123456789012345678901234567890");
  EXPECT_SAME_AS_PLATFORM("[%08d][%-08d][%5d][%-5d]", -42, -42, 17, 17);
  EXPECT_SAME_AS_PLATFORM("[%.3u][%8.3d][%08.3d][%010.4d]", 7, -7, -7, 42);
  EXPECT_SAME_AS_PLATFORM("[%#x][%#X][%#x][%#010x][%-#10x]", 255, 255, 0, 255, 255);
  EXPECT_SAME_AS_PLATFORM("[%-5c][%05c][%.5c]", 'a', 'a', 'z');
  EXPECT_SAME_AS_PLATFORM("[%.2s][%-5.2s][%05s][%3.1s]", "abcdef", "abcdef", "ab", "q");
  EXPECT_SAME_AS_PLATFORM("Partition: %10s %10s %x", "1048576", "524288000", 0x0c);
}

TEST(FormatAgainstPlatform, MissingPrecision) {
  EXPECT_SAME_AS_PLATFORM("[%.s][%5.d][%.0d][%.d]", "abc", 7, 0, 3);
}

TEST(FormatAgainstPlatform, NonConversions) {
  EXPECT_SAME_AS_PLATFORM("100%% [%q] [%l] end%", 0);
}

TEST(FormatAgainstPlatform, LongOutputIsCutAt1023) {
  std::string big(1199, 'a');
  EXPECT_SAME_AS_PLATFORM("%s", big.c_str());
  EXPECT_SAME_AS_PLATFORM("x%sy%d", big.c_str() + 150, 12345);
  EXPECT_SAME_AS_PLATFORM("%s%s", big.c_str() + 700, big.c_str() + 700);
  EXPECT_EQ(Format("%s", big).size(), 1023u);
}
