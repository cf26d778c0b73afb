#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "RequiredTextIds.h"
#include "TextSource.h"
#include "Texts.h"

namespace {

// The values a template takes, one letter each: s text, n 32-bit number,
// L 64-bit number.
std::string ValueKinds(const std::string& pattern) {
  std::string kinds;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%') continue;
    std::size_t j = i + 1;
    if (j < pattern.size() && pattern[j] == '%') {
      i = j;
      continue;
    }
    while (j < pattern.size() && std::strchr("-#0123456789.", pattern[j]) != nullptr) ++j;
    bool wide = pattern.compare(j, 3, "I64") == 0;
    if (wide) j += 3;
    if (j < pattern.size() && pattern[j] == 'l') ++j;
    if (j >= pattern.size()) break;
    char type = pattern[j];
    if (type == 's') kinds += 's';
    else if (std::strchr("cdiuxX", type) != nullptr) kinds += wide ? 'L' : 'n';
    i = j;
  }
  return kinds;
}

}  // namespace

TEST(Texts, EveryIdTheProgramUsesHasAText) {
  for (unsigned id : RequiredTextIds()) {
    std::string text;
    EXPECT_TRUE(LookupText(id, kTextTemplateLimit, text)) << "id " << id;
    EXPECT_FALSE(text.empty()) << "id " << id;
  }
}

TEST(Texts, TemplatesTakeTheValuesTheirCallersPass) {
  const std::map<unsigned, std::string> expected = {
      {105, "n"},  {106, "s"}, {107, "s"},  {113, "s"},  {114, "s"},  {110, "n"},  {115, "n"},
      {112, "L"},  {117, "n"}, {119, "sss"}, {120, "sn"}, {122, "sn"}, {131, "nL"}, {133, "s"},
      {126, "s"},  {150, "s"},  {151, "s"},
      {501, "s"},  {502, "s"}, {503, "s"},  {504, "s"},  {505, "n"},  {506, "n"},  {508, "n"},
      {509, "ss"}, {510, "s"}, {511, "sLn"}};
  for (unsigned id : RequiredTextIds()) {
    std::string pattern;
    LookupText(id, kTextTemplateLimit, pattern);
    auto it = expected.find(id);
    EXPECT_EQ(ValueKinds(pattern), it == expected.end() ? "" : it->second) << "id " << id << ": " << pattern;
  }
}

TEST(Texts, LoadTextFormatsItsValues) {
  std::string line = LoadText(511, "PHOTO   JPG", 5000000000ULL, 32768u);
  EXPECT_NE(line.find("PHOTO   JPG"), std::string::npos);
  EXPECT_NE(line.find("5000000000"), std::string::npos);
  EXPECT_NE(line.find("32768"), std::string::npos);
  std::string crash = LoadText(122, "Access violation", 0xC0000005u);
  EXPECT_NE(crash.find("Access violation"), std::string::npos);
  EXPECT_NE(crash.find("C0000005"), std::string::npos);
}

TEST(Texts, MissingIdGivesAnEmptyText) {
  EXPECT_EQ(LoadText(59999), "");
  std::string text = "stale";
  EXPECT_FALSE(LookupText(59999, 100, text));
  EXPECT_EQ(text, "");
}

TEST(Texts, LookupCutsToTheBuffer) {
  std::string text;
  ASSERT_TRUE(LookupText(106, 10, text));
  EXPECT_EQ(text.size(), 10u);
}

TEST(Texts, FilterTextIsADoubleNulList) {
  const char* filter = LoadFilterText(700);
  std::size_t parts = 0;
  bool offersImages = false;
  const char* p = filter;
  while (*p != '\0' && p < filter + 100) {
    if (std::strcmp(p, "*.IMG") == 0) offersImages = true;
    p += std::strlen(p) + 1;
    ++parts;
  }
  EXPECT_EQ(parts, 4u);
  EXPECT_TRUE(offersImages);
  EXPECT_EQ(std::strchr(filter, '!'), nullptr);
}
