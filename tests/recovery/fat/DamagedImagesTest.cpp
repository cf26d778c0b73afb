// Card images from real tools, damaged by patching bytes: boot sectors that
// describe nothing, chains that loop or cross, folders that point back, and
// FATs and directories of random bytes. Every run must end (within the
// harness's bound, which only a hang exceeds), and what can still be found
// is found.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "RunHarness.h"
#include "SectorWindow.h"
#include "TestFiles.h"

namespace {

constexpr uint32_t kSector = 512;

// Where a mkfs.fat volume keeps its areas (the boot sector at sector 0).
struct Layout {
  explicit Layout(const std::vector<uint8_t>& image) {
    SectorWindow boot(image.data(), kSector);
    fat32 = boot.le16(22) == 0;
    sectorsPerCluster = boot.u8(13);
    fatStart = boot.le16(14);
    fatSectors = fat32 ? boot.le32(36) : boot.le16(22);
    rootStart = fatStart + 2 * fatSectors;
    firstData = rootStart + (fat32 ? 0 : boot.le16(17) * 32 / kSector);
  }
  std::size_t clusterOffset(uint32_t c) const {
    return (static_cast<std::size_t>(c - 2) * sectorsPerCluster + firstData) * kSector;
  }

  bool fat32;
  uint32_t sectorsPerCluster, fatStart, fatSectors, rootStart, firstData;
};

class DamagedImage : public ::testing::Test {
 protected:
  void SetUp() override { UseScratchDocumentsFolder(); }

  void Load(const char* name) {
    image = SampleFile(name);
    ASSERT_FALSE(image.empty());
    layout.reset(new Layout(image));
  }
  // The directory entry of an 8.3 name (11 characters, blank-padded).
  uint8_t* Entry(const char* name) {
    for (std::size_t at = 0; at + 32 <= image.size(); at += 32)
      if (std::memcmp(&image[at], name, 11) == 0) return &image[at];
    ADD_FAILURE() << "no entry " << name;
    static uint8_t none[32];
    return none;
  }
  uint32_t FirstCluster(const uint8_t* entry) const {
    return static_cast<uint32_t>(entry[20] | entry[21] << 8) << 16 | (entry[26] | entry[27] << 8);
  }
  void SetCluster(uint8_t* entry, uint32_t c) {
    entry[20] = static_cast<uint8_t>(c >> 16);
    entry[21] = static_cast<uint8_t>(c >> 24);
    entry[26] = static_cast<uint8_t>(c);
    entry[27] = static_cast<uint8_t>(c >> 8);
  }
  uint32_t Fat(uint32_t c) const {
    SectorWindow fat(&image[layout->fatStart * kSector], layout->fatSectors * kSector);
    return layout->fat32 ? fat.le32(c * 4) & 0x0FFFFFFF : fat.le16(c * 2);
  }
  void SetFat(uint32_t c, uint32_t value) {
    for (uint32_t copy = 0; copy < 2; ++copy) {
      uint8_t* at = &image[(layout->fatStart + copy * layout->fatSectors) * kSector + c * (layout->fat32 ? 4 : 2)];
      for (int i = 0; i < (layout->fat32 ? 4 : 2); ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
  }
  uint32_t LastCluster(uint32_t c) const {
    while (Fat(c) >= 2 && Fat(c) < (layout->fat32 ? 0x0FFFFFF8u : 0xFFF8u)) c = Fat(c);
    return c;
  }
  void Randomise(std::size_t offset, std::size_t bytes, uint32_t seed) {
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < bytes; ++i) image[offset + i] = static_cast<uint8_t>(random());
  }

  // Runs with the default options and again with every option that makes
  // the walk go further; each run must end.
  void RunBoth(const std::function<void(RunHarness&)>& check = nullptr) {
    for (bool everything : {false, true}) {
      SCOPED_TRACE(everything ? "forced search, partial files" : "default options");
      RunHarness harness(image);
      harness.run->options.includeDeleted = true;
      harness.run->options.forceIntensive = everything;
      harness.run->options.keepPartial = everything;
      ASSERT_TRUE(harness.Run()) << "the run did not end";
      if (check) check(harness);
    }
  }

  std::vector<uint8_t> image;
  std::unique_ptr<Layout> layout;
};

// A photo of the card that only the sector search can have found.
bool Carved(const RunHarness& harness) {
  for (const File* record : harness.Records())
    if (std::string(record->shortName).compare(0, 3, "Rec") == 0 && record->isPicture) return true;
  return false;
}

}  // namespace

TEST_F(DamagedImage, BootSectorsThatDescribeNoVolumeLeaveTheSearch) {
  struct Case {
    const char* what;
    uint32_t offset;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {{"no bytes per sector", 11, {0, 0}},          {"no sectors per cluster", 13, {0}},
                        {"no FAT", 16, {0}},                           {"FATs of 65535 sectors", 22, {0xFF, 0xFF}},
                        {"no sectors at all", 19, {0, 0}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Load("fat16.img");
    std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + c.offset);
    RunBoth([](RunHarness& harness) {
      EXPECT_EQ(harness.Find("\\DCIM"), nullptr);
      EXPECT_TRUE(Carved(harness));
    });
  }
}

TEST_F(DamagedImage, BootSectorsWithAbsurdAreas) {
  Load("fat32.img");
  std::fill(image.begin() + 36, image.begin() + 40, 0);  // no FAT32 FAT size
  RunBoth([](RunHarness& harness) { EXPECT_TRUE(Carved(harness)); });

  Load("fat16.img");
  image[16] = 255;  // 255 FATs: the volume's areas move to where its data is
  RunBoth();

  Load("fat16.img");
  image[17] = image[18] = 0xFF;  // 65535 root entries: the FATs' and files' bytes read as entries
  RunBoth();
}

TEST_F(DamagedImage, RootAndFileChainsThatLoopAreCut) {
  Load("fat32.img");
  SetFat(2, 2);  // the root directory's cluster leads back to itself
  const uint32_t lake = FirstCluster(Entry("HOLIDA~1JPG"));
  SetFat(LastCluster(lake), lake);
  RunBoth([](RunHarness& harness) {
    EXPECT_NE(harness.Find("\\README.TXT"), nullptr);
    EXPECT_TRUE(harness.run->structureDamaged);
  });
}

TEST_F(DamagedImage, CrossLinkedChainsAreReported) {
  Load("fat16.img");
  const uint32_t first = FirstCluster(Entry("IMG_0001JPG"));
  SetFat(first, FirstCluster(Entry("IMG_0002JPG")));  // on into the next photo, long enough for both
  RunBoth([](RunHarness& harness) {
    EXPECT_TRUE(harness.Logged("\\DCIM\\100CANON\\IMG_0002.JPG: its data is used by another file"));
    EXPECT_FALSE(harness.Find("\\DCIM\\100CANON\\IMG_0002.JPG")->isComplete);
  });
}

TEST_F(DamagedImage, AFolderThatPointsAtItsAncestorIsNotWalkedAgain) {
  Load("fat32.img");
  SetCluster(Entry("C          "), FirstCluster(Entry("DATA       ")));
  RunBoth([](RunHarness& harness) {
    ASSERT_NE(harness.Find("\\DATA\\A\\B\\C"), nullptr);
    EXPECT_EQ(harness.Find("\\DATA\\A\\B\\C\\A"), nullptr);
  });
}

TEST_F(DamagedImage, FatsAndDirectoriesOfRandomBytes) {
  for (const char* name : {"fat12.img", "fat16.img", "fat32.img"}) {
    SCOPED_TRACE(name);
    Load(name);
    Randomise(layout->fatStart * kSector, 2 * layout->fatSectors * kSector, 1);
    RunBoth();

    Load(name);
    const uint32_t folder = FirstCluster(Entry("100CANON   "));
    Randomise(layout->clusterOffset(folder), layout->sectorsPerCluster * kSector, 2);
    Randomise(layout->rootStart * kSector, kSector, 3);
    RunBoth();
  }
}
