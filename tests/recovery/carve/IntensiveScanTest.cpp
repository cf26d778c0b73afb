// The search reads its window in place: the window moves through the sector
// source's buffer and goes back to the buffer's start only when the buffer is
// full, and the walks read on into the same buffer. Files placed at every
// sector around that edge come back whole, and so do the files right after
// them, which the search reaches once the walks have moved the buffer on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "RunHarness.h"
#include "TestFiles.h"
#include "TypeDB.h"

namespace {

constexpr uint32_t kSector = 512;
// The buffer holds 2048 sectors: the search's 12-sector window, read from
// sector 0 on, reaches the buffer's end at sector 2037.
constexpr uint32_t kFirstPlaced = 2000;
constexpr uint32_t kLastPlaced = 2080;

struct Placed {
  uint32_t sector;
  std::vector<uint8_t> bytes;
  const char* extension;
};

class ScanOverTheBufferEdge : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    if (GetParam()) {
      ASSERT_TRUE(dictionary_.Load("FileIdentify.dict")) << dictionary_.ErrorText();
    }
  }

  // A JPEG that its walk follows sector by sector past the window, a
  // small JPEG right behind it and a PNG that its walk reads in runs.
  std::vector<Placed> Files(uint32_t first) const {
    std::vector<Placed> files;
    uint32_t sector = first;
    for (auto sample : {std::make_pair("progressive.jpg", "jpg"), std::make_pair("photo.jpg", "jpg"),
                        std::make_pair("photo-large.png", "png")}) {
      files.push_back({sector, SampleFile(sample.first), sample.second});
      sector += static_cast<uint32_t>((files.back().bytes.size() + kSector - 1) / kSector);
    }
    return files;
  }

  TypeDB dictionary_;
};

TEST_P(ScanOverTheBufferEdge, EveryFileComesBackWhole) {
  for (uint32_t first = kFirstPlaced; first <= kLastPlaced; ++first) {
    SCOPED_TRACE("first file at sector " + std::to_string(first));
    std::vector<Placed> files = Files(first);
    const uint32_t sectors = first + 1000;
    std::vector<uint8_t> image(static_cast<std::size_t>(sectors) * kSector, 0);
    image[static_cast<std::size_t>(sectors - 16 - 512) * kSector] = 0xAB;  // the search goes on to there
    for (const Placed& file : files) {
      ASSERT_FALSE(file.bytes.empty());
      std::copy(file.bytes.begin(), file.bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(file.sector) * kSector);
    }
    RunHarness harness(image, GetParam() ? &dictionary_ : nullptr);
    ASSERT_TRUE(harness.opened());
    ASSERT_TRUE(harness.Run());
    std::vector<const File*> records = harness.Records();
    ASSERT_EQ(records.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      const File& record = *records[i];
      ASSERT_FALSE(record.runs.empty());
      EXPECT_EQ(record.runs[0].first, files[i].sector) << i;
      EXPECT_EQ(record.shortExtension(), files[i].extension) << i;
      EXPECT_EQ(harness.Data(record), files[i].bytes) << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(BuiltInAndDictionary, ScanOverTheBufferEdge, ::testing::Bool());

}  // namespace
