// The exFAT camera card of scripts/make-samples.sh, damaged by patching
// bytes: boot regions that fail their checksum, chains and folders that loop,
// lengths and clusters beyond the medium, tables of random bytes. Every run
// must end (within the harness's bound, which only a hang exceeds), and what
// can still be found is found.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "ExfatBootRegion.h"
#include "ExfatBuilder.h"
#include "ExfatSamples.h"
#include "RunHarness.h"
#include "SectorWindow.h"
#include "TestFiles.h"

namespace {

void Put(std::vector<uint8_t>& bytes, std::size_t at, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

class DamagedExfat : public ExfatCard {
 protected:
  void SetUp() override {
    ExfatCard::SetUp();
    if (IsSkipped()) return;
    image = SampleFile(GetParam().image);
    const SectorWindow boot(image.data(), 512);
    sector = 1u << boot.u8(108);
    clusterBytes = sector << boot.u8(109);
    fatStart = static_cast<std::size_t>(boot.le32(80)) * sector;
    heapStart = static_cast<std::size_t>(boot.le32(88)) * sector;
    rootCluster = boot.le32(96);
  }

  std::size_t clusterOffset(uint32_t c) const { return heapStart + static_cast<std::size_t>(c - 2) * clusterBytes; }
  void setFat(uint32_t c, uint32_t value) { Put(image, fatStart + 4 * static_cast<std::size_t>(c), value, 4); }

  // The File entry of the set whose name begins with these (up to 15) units.
  std::size_t setOf(const std::u16string& name) {
    std::vector<uint8_t> units;
    for (char16_t u : name.substr(0, 15)) units.insert(units.end(), {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8)});
    for (std::size_t at = 64; at + 32 <= image.size(); at += 32)
      if ((image[at] & 0x7F) == 0x41 && std::memcmp(&image[at + 2], units.data(), units.size()) == 0) return at - 64;
    ADD_FAILURE() << "no entry set for the name";
    return 0;
  }
  uint32_t firstCluster(std::size_t set) const { return SectorWindow(image.data(), image.size()).le32(set + 52); }
  void setStream(std::size_t set, uint32_t first, uint64_t length) {
    Put(image, set + 52, first, 4);
    Put(image, set + 40, length, 8);
    Put(image, set + 56, length, 8);
    SealExfatSet(image, set);
  }
  // Writes the checksum sector of the boot region at byte base again.
  void sealBootRegion(std::size_t base) {
    const uint32_t sum = ExfatBootChecksum(&image[base], sector);
    for (uint32_t at = 0; at < sector; at += 4) Put(image, base + 11 * sector + at, sum, 4);
  }
  void scramble(std::size_t at, std::size_t count, uint32_t seed) {
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < count && at + i < image.size(); ++i) image[at + i] = static_cast<uint8_t>(random());
  }

  // Runs over the damaged image; false when the run did not end.
  bool run(bool keepPartial = false) {
    harness.reset(new RunHarness(image));
    harness->run->options.includeDeleted = true;
    harness->run->options.keepPartial = keepPartial;
    return harness->Run();
  }
  const File* find(const char* path) const { return harness->Find(path); }
  bool searched() const { return harness->Logged("Searching every sector for lost files. This can take a while."); }

  std::vector<uint8_t> image;
  uint32_t sector = 0, clusterBytes = 0, rootCluster = 0;
  std::size_t fatStart = 0, heapStart = 0;
  std::unique_ptr<RunHarness> harness;
};

const char* const kPhoto = "\\DCIM\\100CANON\\IMG_0001.JPG";
const char* const kClip = "\\DCIM\\100CANON\\MVI_0003.MOV";

}  // namespace

TEST_P(DamagedExfat, ABadMainBootRegionGivesWayToTheBackup) {
  image[100] ^= 0xFF;  // the serial number: only the checksum tells
  ASSERT_TRUE(run());
  EXPECT_NE(find(kPhoto), nullptr);
  EXPECT_TRUE(harness->Logged("exFAT volume CAMERA of 32.00 MB found"));
  // Both copies damaged: no volume, the sectors are searched.
  image[12 * sector + 100] ^= 0xFF;
  ASSERT_TRUE(run());
  EXPECT_EQ(find(kPhoto), nullptr);
  EXPECT_TRUE(searched());
}

TEST_P(DamagedExfat, BootSectorsThatDescribeTooMuchAreRefused) {
  // The cluster count, the FAT's length and the heap's offset.
  for (const std::size_t field : {92, 84, 88}) {
    SCOPED_TRACE(field);
    std::vector<uint8_t> sound = image;
    for (std::size_t base : {std::size_t{0}, std::size_t{12} * sector}) {
      Put(image, base + field, UINT32_MAX, 4);
      sealBootRegion(base);
    }
    ASSERT_TRUE(run());
    EXPECT_FALSE(harness->Logged("exFAT volume CAMERA of 32.00 MB found"));
    EXPECT_TRUE(searched());
    image = sound;
  }
  // A volume longer than the medium is a card image cut short: what the
  // medium holds is still read.
  for (std::size_t base : {std::size_t{0}, std::size_t{12} * sector}) {
    Put(image, base + 72, UINT64_MAX, 8);
    sealBootRegion(base);
  }
  ASSERT_TRUE(run());
  EXPECT_NE(find(kPhoto), nullptr);
}

TEST_P(DamagedExfat, ChainsThatLoopAreCut) {
  // The clip's chain comes back to its first cluster: what was passed stays.
  const uint32_t first = firstCluster(setOf(u"MVI_0003.MOV"));
  setFat(first + 1, first);
  // The root's chain points at itself.
  setFat(rootCluster, rootCluster);
  ASSERT_TRUE(run());
  const File* clip = find(kClip);
  ASSERT_NE(clip, nullptr);
  EXPECT_FALSE(clip->isComplete);
  EXPECT_LE(clip->countSectors() * sector, 40000u);
  EXPECT_NE(find(kPhoto), nullptr);
  EXPECT_TRUE(find(kPhoto)->isComplete);
}

TEST_P(DamagedExfat, FoldersThatPointBackEndThere) {
  const std::size_t dcim = setOf(u"DCIM");
  const std::size_t trip = setOf(u"101TRIP");
  const std::size_t canon = setOf(u"100CANON");
  setStream(trip, rootCluster, clusterBytes);        // back to the root
  setStream(canon, firstCluster(dcim), clusterBytes);  // back to its parent
  ASSERT_TRUE(run());
  EXPECT_NE(find("\\DCIM\\101TRIP"), nullptr);
  EXPECT_EQ(find("\\DCIM\\101TRIP\\DCIM"), nullptr);
  EXPECT_EQ(find("\\DCIM\\100CANON\\101TRIP"), nullptr);
  EXPECT_NE(find("\\MISC\\notes.txt"), nullptr);
}

TEST_P(DamagedExfat, LengthsAndClustersBeyondTheMediumAreCut) {
  const std::size_t photo = setOf(u"IMG_0001.JPG");
  const uint32_t first = firstCluster(photo);
  setStream(photo, first, uint64_t{1} << 62);
  setStream(setOf(u"Holiday at the lake"), 0xFFFFFFF0, 70000);
  ASSERT_TRUE(run());
  const File* cut = find(kPhoto);
  ASSERT_NE(cut, nullptr);
  EXPECT_FALSE(cut->isComplete);
  EXPECT_LE(cut->size, image.size());
  EXPECT_EQ(cut->size, cut->countSectors() * sector);
  EXPECT_EQ(find("\\DCIM\\100CANON\\Holiday at the lake, seen from the hills above the old bridge.jpg"), nullptr);
  EXPECT_NE(find(kClip), nullptr);
}

TEST_P(DamagedExfat, ADeletedFileWhoseClusterTheBitmapGivesAwayCollides) {
  const uint32_t first = firstCluster(setOf(u"IMG_0002.JPG"));
  const std::size_t bitmap = clusterOffset(2);  // mkfs.exfat puts it first
  image[bitmap + (first - 2) / 8] |= static_cast<uint8_t>(1u << ((first - 2) % 8));
  ASSERT_TRUE(run());
  EXPECT_EQ(find("\\DCIM\\100CANON\\IMG_0002.JPG"), nullptr);
  ASSERT_TRUE(run(true));
  const File* kept = find("\\DCIM\\100CANON\\IMG_0002.JPG");
  ASSERT_NE(kept, nullptr);
  EXPECT_FALSE(kept->isComplete);
  EXPECT_TRUE(kept->isDeleted);
  EXPECT_TRUE(harness->Logged("\\DCIM\\100CANON\\IMG_0002.JPG: deleted file, partly overwritten by another file; kept as incomplete"));
}

TEST_P(DamagedExfat, TablesOfRandomBytesEndTheirRuns) {
  const std::vector<uint8_t> sound = image;
  const std::size_t root = clusterOffset(rootCluster);
  const struct {
    const char* what;
    std::size_t at, count;
  } areas[] = {
      {"FAT", fatStart, 64 * sector},
      {"bitmap", clusterOffset(2), clusterBytes},
      {"root directory", root, clusterBytes},
      {"folder", clusterOffset(firstCluster(setOf(u"100CANON"))), clusterBytes},
  };
  for (const auto& area : areas) {
    for (uint32_t seed = 1; seed <= 4; ++seed) {
      SCOPED_TRACE(std::string(area.what) + " " + std::to_string(seed));
      image = sound;
      scramble(area.at, area.count, seed);
      ASSERT_TRUE(run(seed % 2 == 0));
      for (const File* record : harness->Records()) EXPECT_LE(record->countSectors() * sector, image.size());
    }
  }
  // Random entry sets that pass their checksum: names, lengths and clusters of any value.
  std::mt19937 random(7);
  for (int round = 0; round < 8; ++round) {
    image = sound;
    const std::size_t set = setOf(u"IMG_0101.JPG");
    for (std::size_t i = 1; i < 96; ++i)
      if (i % 32 != 0) image[set + i] = static_cast<uint8_t>(random());
    image[set + 1] = 2;
    image[set + 35] = static_cast<uint8_t>(random() % 16);
    SealExfatSet(image, set);
    ASSERT_TRUE(run(round % 2 == 0));
  }
}

INSTANTIATE_TEST_SUITE_P(Cards, DamagedExfat, ::testing::ValuesIn(ExfatCameraCards()),
                         [](const ::testing::TestParamInfo<ExfatCameraCard>& info) { return info.param.label; });
