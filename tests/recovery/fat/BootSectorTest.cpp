// Finding the boot sector, the FAT type by the cluster count, the root
// directory's place, the FAT entries, and boot sectors that describe no
// volume at all.
#include <gtest/gtest.h>

#include "FatBuilder.h"
#include "FatVolume.h"
#include "RootDirectory.h"
#include "RunHarness.h"
#include "TestFiles.h"

namespace {

void Put32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A master boot record in sector 0 whose first entry starts at first, or at
// the CHS address (cylinder, head, sector) of a 16-head, 63-sector geometry.
void PutBootRecord(std::vector<uint8_t>& image, uint32_t first, uint32_t cylinder = 0, uint32_t head = 0,
                   uint32_t sector = 0) {
  uint8_t* entry = &image[446];
  entry[0] = 0x80;
  entry[1] = static_cast<uint8_t>(head);
  entry[2] = static_cast<uint8_t>(sector | (cylinder >> 8) << 6);
  entry[3] = static_cast<uint8_t>(cylinder);
  entry[4] = 0x06;
  entry[5] = 15;    // the last head: 16 heads
  entry[6] = 0xFF;  // sector 63, cylinder bits set
  entry[7] = 0xFF;
  Put32(entry + 8, first);
  image[510] = 0x55;
  image[511] = 0xAA;
}

class BootSectorTest : public ::testing::Test {
 protected:
  void SetUp() override { UseScratchDocumentsFolder(); }

  // Looks for the volume on the image, as a fresh worker does; where its
  // boot sector is and its type are then in volume.
  bool Analyse(const std::vector<uint8_t>& image) {
    harness.reset(new RunHarness(image));
    volume = FatVolume();
    return harness->opened() && volume.find(harness->run->media, *harness->run);
  }
  FatVolume& run() { return volume; }

  std::unique_ptr<RunHarness> harness;
  FatVolume volume;
};

}  // namespace

TEST_F(BootSectorTest, FoundAtSectorZeroThroughThePartitionTableOrByItsOwnNumber) {
  FatBuilder floppy(FatKind::kFat16, 5000);
  ASSERT_TRUE(Analyse(floppy.image));
  EXPECT_EQ(run().bootSectorAt, 0u);
  floppy.boot()[0] = 0xE9;  // a near jump: the partition table is not looked at
  floppy.image[450] = 0x06;
  ASSERT_TRUE(Analyse(floppy.image));
  EXPECT_EQ(run().bootSectorAt, 0u);

  FatBuilder partitioned(FatKind::kFat16, 5000, 1, 8192);
  PutBootRecord(partitioned.image, 8192);
  ASSERT_TRUE(Analyse(partitioned.image));
  EXPECT_EQ(run().bootSectorAt, 8192u);

  // By CHS alone, on cylinder 1: (1 * 16 + 0) * 63 = 1008.
  FatBuilder chs(FatKind::kFat16, 5000, 1, 1008);
  PutBootRecord(chs.image, 0, 1, 0, 1);
  ASSERT_TRUE(Analyse(chs.image));
  EXPECT_EQ(run().bootSectorAt, 1008u);

  // No signature in sector 0: the first sector that names itself.
  FatBuilder hidden(FatKind::kFat16, 5000, 1, 63);
  hidden.image[10 * 512 + 510] = 0x55;  // a signature without the sector's own number
  hidden.image[10 * 512 + 511] = 0xAA;
  ASSERT_TRUE(Analyse(hidden.image));
  EXPECT_EQ(run().bootSectorAt, 63u);
  EXPECT_EQ(run().boot.hiddenSectors, 63u);
}

TEST_F(BootSectorTest, APartitionWithoutSignatureOrNoBootSectorAtAllIsNoVolume) {
  FatBuilder partitioned(FatKind::kFat16, 5000, 1, 100);
  PutBootRecord(partitioned.image, 100);
  partitioned.boot()[510] = 0;
  EXPECT_FALSE(Analyse(partitioned.image));
  EXPECT_FALSE(Analyse(std::vector<uint8_t>(4096 * 512, 0)));
}

TEST_F(BootSectorTest, TheClusterCountDecidesTheType) {
  struct Case {
    uint32_t clusters;
    FatKind built;
    bool fat12, fat16, fat32;
    uint32_t endOfChain;
  };
  const Case cases[] = {{4084, FatKind::kFat12, true, false, false, 0xFFF},
                        {4085, FatKind::kFat16, false, true, false, 0xFFFF},
                        {65524, FatKind::kFat16, false, true, false, 0xFFFF},
                        {65525, FatKind::kFat16, false, false, true, 0x0FFFFFFF},
                        {70000, FatKind::kFat32, false, false, true, 0x0FFFFFFF}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.clusters);
    FatBuilder volume(c.built, c.clusters);
    Put32(volume.boot() + 36, volume.fatSectors);  // where a volume typed by its count has its FAT size
    ASSERT_TRUE(Analyse(volume.image));
    EXPECT_EQ(run().clusterCount, c.clusters);
    EXPECT_EQ(run().type == FatType::kFat12, c.fat12);
    EXPECT_EQ(run().type == FatType::kFat16, c.fat16);
    EXPECT_EQ(run().type == FatType::kFat32, c.fat32);
    EXPECT_EQ(run().endOfChain, c.endOfChain);
  }
}

TEST_F(BootSectorTest, TheFat32RootClusterIsAll28Bits) {
  FatBuilder volume(FatKind::kFat32, 70000);
  Put32(volume.boot() + 44, 0xF0010002u);
  ASSERT_TRUE(Analyse(volume.image));
  EXPECT_EQ(run().rootCluster, 0x00010002u);
}

TEST_F(BootSectorTest, TheFixedRootOf512EntriesTakes32Sectors) {
  FatBuilder volume(FatKind::kFat12, 2000, 4);
  ASSERT_TRUE(Analyse(volume.image));
  ASSERT_TRUE(run().loadFat(harness->run->media, *harness->run));
  RootDirectory().read(harness->run->media, run(), *harness->run);
  const uint32_t rootStart = 1 + 2 * volume.fatSectors;
  EXPECT_EQ(run().firstDataSector, rootStart + 32);
  EXPECT_EQ(run().sectorsPerCluster, 4u);
}

TEST_F(BootSectorTest, BootSectorsThatDescribeNoVolume) {
  struct Case {
    const char* what;
    uint32_t offset;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {{"no bytes per sector", 11, {0, 0}},
                        {"520 bytes per sector", 11, {0x08, 0x02}},
                        {"no sectors per cluster", 13, {0}},
                        {"no FAT", 16, {0}},
                        {"255 FATs larger than the volume", 16, {255}},
                        {"no sectors", 19, {0, 0}},
                        {"FATs of no sectors", 22, {0, 0}},
                        {"FATs larger than the volume", 22, {0xFF, 0xFF}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FatBuilder volume(FatKind::kFat16, 5000);
    std::copy(c.bytes.begin(), c.bytes.end(), volume.boot() + c.offset);
    EXPECT_FALSE(Analyse(volume.image));
    EXPECT_EQ(harness->run->media.sectorSize, 512u);
  }
}

// A volume of 300 clusters loads one sector of its FAT: 341 entries, the
// last of which would straddle its end.
TEST_F(BootSectorTest, Fat12EntriesShareBytesAndNoneLiesBeyondTheCopy) {
  FatBuilder small(FatKind::kFat12, 300);
  const uint8_t entries[] = {0xF8, 0xFF, 0xFF, 0x03, 0x40, 0x00};
  std::copy(std::begin(entries), std::end(entries), small.image.begin() + 512);
  small.image[512 + 510] = 0x34;
  small.image[512 + 511] = 0x12;
  ASSERT_TRUE(Analyse(small.image));
  ASSERT_TRUE(run().loadFat(harness->run->media, *harness->run));
  EXPECT_EQ(run().nextCluster(2), 0x003u);    // low 12 bits of the word at byte 3
  EXPECT_EQ(run().nextCluster(3), 0x004u);    // high 12 bits of the word at byte 4
  EXPECT_EQ(run().nextCluster(340), 0x234u);  // low 12 bits of the word at byte 510
  EXPECT_EQ(run().nextCluster(341), 0xFFFu);  // its word would straddle the end
  EXPECT_EQ(run().nextCluster(0xFFFFFFFFu), 0xFFFu);
}
