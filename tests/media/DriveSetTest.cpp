// Reading a platform's text list into a buffer that grows.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DriveSet.h"

namespace {

// Answers as QueryDosDeviceA does: too small until the whole list fits.
struct ListSource {
  explicit ListSource(std::string text) : list(std::move(text)) {}
  TextListRead operator()(char* buffer, uint32_t size, uint32_t& stored) {
    sizes.push_back(size);
    if (size < list.size()) return TextListRead::kTooSmall;
    std::memcpy(buffer, list.data(), list.size());
    stored = static_cast<uint32_t>(list.size()) + overstatedBy;
    return TextListRead::kRead;
  }
  std::string list;
  uint32_t overstatedBy = 0;
  std::vector<uint32_t> sizes;
};

// A literal with its NULs, without the one the compiler adds.
template <std::size_t N>
std::string Nuls(const char (&text)[N]) {
  return std::string(text, N - 1);
}

using Texts = std::vector<std::string>;

}  // namespace

TEST(TextList, IsReadAgainWithALargerBufferUntilItFits) {
  ListSource source{Nuls("C:\0PhysicalDrive0\0Harddisk0DR0\0\0")};
  Texts texts;
  ASSERT_TRUE(ReadTextList(std::ref(source), 4, 1024, texts));
  EXPECT_EQ(texts, (Texts{"C:", "PhysicalDrive0", "Harddisk0DR0"}));
  EXPECT_EQ(source.sizes, (std::vector<uint32_t>{4, 8, 16, 32}));

  // An empty list, and one whose last text lost its ending.
  source.list = Nuls("\0\0");
  ASSERT_TRUE(ReadTextList(std::ref(source), 64, 64, texts));
  EXPECT_TRUE(texts.empty());
  source.list = Nuls("\\Device\\HarddiskVolume1\0\\Device\\Harddisk1");
  ASSERT_TRUE(ReadTextList(std::ref(source), 64, 64, texts));
  EXPECT_EQ(texts, (Texts{"\\Device\\HarddiskVolume1", "\\Device\\Harddisk1"}));
}

TEST(TextList, FailsBeyondItsBoundOrWithACountBeyondTheBuffer) {
  ListSource source{std::string(5000, 'x')};
  Texts texts = {"untouched"};
  EXPECT_FALSE(ReadTextList(std::ref(source), 1024, 4096, texts));
  EXPECT_EQ(source.sizes, (std::vector<uint32_t>{1024, 2048, 4096}));

  source.list = "C:";
  source.overstatedBy = 100;
  EXPECT_FALSE(ReadTextList(std::ref(source), 64, 64, texts));
  EXPECT_FALSE(ReadTextList([](char*, uint32_t, uint32_t&) { return TextListRead::kFailed; }, 64, 64, texts));
  EXPECT_EQ(texts, Texts{"untouched"});
}
