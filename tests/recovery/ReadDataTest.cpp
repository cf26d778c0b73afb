#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "Context.h"
#include "CountingPump.h"
#include "File.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "TestFiles.h"

namespace {

constexpr uint32_t kSector = 512;

class ReadDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    image.resize(100 * kSector);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 31 + i / kSector);
    medium = devices.Add("card.img", image);
    media.reset(new Media(&devices));
    ASSERT_TRUE(media->OpenImage("card.img"));
    TheContext().messagePump = &pump;
  }
  void TearDown() override { TheContext().messagePump = nullptr; }

  // The bytes of the sectors, in order, cut to size.
  std::vector<uint8_t> Expected(const std::vector<std::pair<uint32_t, uint32_t>>& runs, uint64_t size) const {
    std::vector<uint8_t> bytes(size, 0);
    std::size_t at = 0;
    for (auto run : runs)
      for (std::size_t i = run.first * kSector; i < (run.first + run.second) * kSector && at < size; ++i)
        bytes[at++] = image[i];
    return bytes;
  }

  std::vector<uint8_t> image;
  MemoryDeviceOpener devices;
  std::shared_ptr<MemoryMedium> medium;
  std::unique_ptr<Media> media;
  CountingPump pump;
};

}  // namespace

TEST_F(ReadDataTest, FollowsTheRunsAndStopsAtTheSize) {
  File file;
  file.addRun(10, 20);
  file.addRun(50, 3);
  file.addRun(5, 2);
  file.size = 24 * kSector + 100;
  std::vector<uint8_t> data(file.size + 1000, 0xEE);
  ASSERT_TRUE(file.readData(*media, data.data(), data.size()));
  std::vector<uint8_t> expected = Expected({{10, 20}, {50, 3}, {5, 2}}, file.size);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), data.begin()));
  EXPECT_EQ(data[file.size], 0xEE);  // nothing beyond the size
  // A read of 16 sectors at 10, one at 26 for the rest of the run, one at 50
  // and one at 5; the message pump ran before each.
  EXPECT_EQ(pump.calls, 4);
}

TEST_F(ReadDataTest, ChainShorterThanTheSizeLeavesZeros) {
  File file;
  file.addRun(3, 2);
  file.size = 3 * kSector;
  std::vector<uint8_t> data(file.size, 0xEE);
  ASSERT_TRUE(file.readData(*media, data.data(), data.size()));
  EXPECT_EQ(data, Expected({{3, 2}}, file.size));
}

TEST_F(ReadDataTest, FileAtTheEndOfTheMedium) {
  File file;
  file.addRun(95, 5);
  file.size = 5 * kSector;
  std::vector<uint8_t> data(file.size);
  ASSERT_TRUE(file.readData(*media, data.data(), data.size()));
  EXPECT_EQ(data, Expected({{95, 5}}, file.size));
}

TEST_F(ReadDataTest, UnreadableSectorFailsTheRead) {
  medium->FailSector(12);
  File file;
  file.addRun(12, 1);
  file.size = 10;
  std::vector<uint8_t> data(10);
  EXPECT_FALSE(file.readData(*media, data.data(), data.size()));
}

TEST_F(ReadDataTest, ShorterLengthThanTheFile) {
  File file;
  file.addRun(20, 4);
  file.size = 4 * kSector;
  std::vector<uint8_t> data(700);
  ASSERT_TRUE(file.readData(*media, data.data(), data.size()));
  EXPECT_EQ(data, Expected({{20, 2}}, 700));
}
