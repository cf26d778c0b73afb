#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "TextIds.h"
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

TEST(Texts, EveryNamedIdHasAText) {
  for (unsigned id : kTextIds) {
    std::string text;
    EXPECT_TRUE(LookupText(id, kTextTemplateLimit, text)) << "id " << id;
    EXPECT_FALSE(text.empty()) << "id " << id;
  }
}

TEST(Texts, TemplatesTakeTheValuesTheirCallersPass) {
  const std::map<unsigned, std::string> expected = {
      {kTextPercentage, "n"},
      {kTextStep1Information, "s"},
      {kTextStep2Information, "s"},
      {kTextStep3Information, "s"},
      {kTextStep4Information, "s"},
      {kTextDriveNotOpened, "n"},
      {kTextDriveNotReady, "n"},
      {kTextSectorNumberTooLarge, "L"},
      {kTextFilesCopied, "n"},
      {kTextFilesCopiedTo, "ns"},
      {kTextOneFileCopiedTo, "s"},
      {kTextCopiesNumbered, "ns"},
      {kTextCopiesIncomplete, "ns"},
      {kTextCopyStopped, "ssn"},
      {kTextOneCopyNumbered, "s"},
      {kTextOneCopyIncomplete, "s"},
      {kTextCopyStoppedAfterOne, "ss"},
      {kTextCopiedToTip, "s"},
      {kTextRunHeader, "sss"},
      {kTextImageFileNotCreated, "sn"},
      {kTextInternalError, "sn"},
      {kTextSectorsSaved, "nL"},
      {kTextAccessDenied, "s"},
      {kTextDiskNotOpened, "s"},
      {kTextImageSaved, "sL"},
      {kTextImageReadFailed, "nssL"},
      {kTextImageWriteFailed, "ssL"},
      {kTextDiskNotReady, "s"},
      {kTextDestinationOnSource, "s"},
      {kTextAboutVersion, "s"},
      {kTextAboutInformation, "s"},
      {kTextKeptDespiteCollision, "s"},
      {kTextUsedByAnother, "s"},
      {kTextDeletedFileFound, "s"},
      {kTextDeletedFolderFound, "s"},
      {kTextFilesFound, "n"},
      {kTextSearchingSectors, "n"},
      {kTextSectorSearchFound, "n"},
      {kTextFoundOfMedium, "ss"},
      {kTextLargerThanMedium, "s"},
      {kTextSizeExtended, "sLn"},
      {kTextExfatVolumeFound, "s"},
      {kTextExfatLabelledVolumeFound, "ss"}};
  for (unsigned id : kTextIds) {
    std::string pattern;
    LookupText(id, kTextTemplateLimit, pattern);
    auto it = expected.find(id);
    EXPECT_EQ(ValueKinds(pattern), it == expected.end() ? "" : it->second) << "id " << id << ": " << pattern;
  }
}

TEST(Texts, LoadTextFormatsItsValues) {
  std::string line = LoadText(kTextSizeExtended, "PHOTO   JPG", 5000000000ULL, 32768u);
  EXPECT_NE(line.find("PHOTO   JPG"), std::string::npos);
  EXPECT_NE(line.find("5000000000"), std::string::npos);
  EXPECT_NE(line.find("32768"), std::string::npos);
  std::string crash = LoadText(kTextInternalError, "Access violation", 0xC0000005u);
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
  ASSERT_TRUE(LookupText(kTextStep1Information, 10, text));
  EXPECT_EQ(text.size(), 10u);
}

TEST(Texts, FilterTextIsADoubleNulList) {
  const char* filter = LoadFilterText(kTextImageFileFilter);
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
