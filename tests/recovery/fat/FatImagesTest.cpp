// Whole runs over card images that mkfs.fat, sfdisk and mtools made
// (scripts/make-samples.sh): every file comes back with its name, folder,
// size, date and bytes; deleted files under their 8.3 name beginning with
// 0x40; and a quick-formatted card is searched and its photos come back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "FileTime.h"
#include "RunHarness.h"
#include "TestFiles.h"
#include "Trace.h"
#include "TypeDB.h"
#include "Utilities.h"

namespace {

struct ManifestEntry {
  bool deleted;
  std::string path;
  std::string source;
  uint64_t modified;
};

uint64_t StampOf(const std::string& text) {
  CalendarTime time;
  std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &time.year, &time.month, &time.day, &time.hour, &time.minute,
              &time.second);
  uint64_t stamp = 0;
  EXPECT_TRUE(CalendarToFileTime(time, stamp)) << text;
  return stamp;
}

std::vector<ManifestEntry> Manifest() {
  std::vector<ManifestEntry> entries;
  std::istringstream in(ReadWholeFile("../samples/fat-manifest.txt"));
  std::string state, path, source, stamp;
  while (std::getline(in, state, '\t') && std::getline(in, path, '\t') && std::getline(in, source, '\t') &&
         std::getline(in, stamp))
    entries.push_back({state == "deleted", path, source, StampOf(stamp)});
  return entries;
}

// A file the card holds; the manifest's files are small, and one is empty.
std::vector<uint8_t> Source(const std::string& name) {
  EXPECT_TRUE(FileExists("../samples/" + name)) << name;
  std::string bytes = ReadWholeFile("../samples/" + name);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct Card {
  const char* image;
  const char* label;
  uint32_t clusterBytes;
};

class CardImage : public ::testing::TestWithParam<Card> {
 protected:
  void SetUp() override { UseScratchDocumentsFolder(); }
};

}  // namespace

TEST_P(CardImage, EveryFileComesBackWithItsNameFolderSizeDateAndBytes) {
  const Card& card = GetParam();
  RunHarness harness(SampleFile(card.image));
  ASSERT_TRUE(harness.opened());
  harness.run->options.includeDeleted = true;
  ASSERT_TRUE(harness.Run());
  std::vector<ManifestEntry> manifest = Manifest();
  ASSERT_EQ(manifest.size(), 15u);
  uint64_t liveBytes = 0, deletedFiles = 0;
  for (const ManifestEntry& expected : manifest) {
    SCOPED_TRACE(expected.path);
    const File* record = harness.Find(expected.path);
    ASSERT_NE(record, nullptr);
    std::vector<uint8_t> source = Source(expected.source);
    EXPECT_EQ(record->size, source.size());
    EXPECT_TRUE(harness.Data(*record) == source);
    EXPECT_EQ(record->modified, expected.modified);
    EXPECT_NE(record->created, 0u);
    EXPECT_TRUE(record->isComplete);
    EXPECT_EQ(record->isPicture, expected.source.find(".jpg") != std::string::npos);
    if (expected.deleted) {
      EXPECT_EQ(record->shortName[0], 0x40);
      EXPECT_TRUE(record->longName.empty());
      ++deletedFiles;
    }
    liveBytes += source.size();
  }
  const File* folder = harness.Find("\\DCIM\\100CANON");
  ASSERT_NE(folder, nullptr);
  EXPECT_TRUE(folder->isDirectory);
  EXPECT_NE(harness.Find("\\@LD"), nullptr);  // the deleted folder
  const File* label = harness.Find(std::string("\\") + card.label);
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->isVolumeLabel);

  // The log: the start; for each deleted file or folder its line, and the
  // extension over the sectors after its one cluster; the summary.
  ASSERT_GE(harness.lines.size(), 3u);
  EXPECT_EQ(harness.lines.front().find("Searching "), 0u);
  std::vector<std::string> middle(harness.lines.begin() + 1, harness.lines.end() - 2);
  std::vector<std::string> expected = {"Deleted folder found: \\@LD"};
  for (const ManifestEntry& entry : manifest) {
    if (!entry.deleted) continue;
    expected.push_back("Deleted file found: " + entry.path);
    uint64_t size = Source(entry.source).size();
    if (size > card.clusterBytes)
      expected.push_back(Format("%s: its size (%I64u bytes) is larger than its %u allocated bytes; extended",
                                entry.path.substr(entry.path.rfind('\\') + 1), size, card.clusterBytes));
  }
  std::sort(middle.begin(), middle.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(middle, expected);
  EXPECT_EQ(harness.lines[harness.lines.size() - 2], "15 files found.");  // the volume label is no file
  const int64_t mediumBytes = static_cast<int64_t>(harness.medium->bytes.size());
  EXPECT_EQ(harness.lines.back(), "Found " + FormatSize(static_cast<int64_t>(liveBytes), false) +
                                      " of files on a medium of " + FormatSize(mediumBytes, false) + ".");
  EXPECT_EQ(deletedFiles, 5u);
}

INSTANTIATE_TEST_SUITE_P(Cards, CardImage,
                         ::testing::Values(Card{"fat12.img", "CARD12", 2048}, Card{"fat16.img", "CARD16", 1024},
                                           Card{"fat32.img", "CARD32", 512}, Card{"card.img", "SDCARD", 512}),
                         [](const ::testing::TestParamInfo<Card>& info) { return std::string(info.param.label); });

TEST(QuickFormattedCard, ItsPhotosAreFoundAndComeBackWhole) {
  UseScratchDocumentsFolder();
  TypeDB dictionary;
  ASSERT_TRUE(dictionary.Load("FileIdentify.dict"));
  for (TypeDB* types : {static_cast<TypeDB*>(nullptr), &dictionary}) {
    SCOPED_TRACE(types == nullptr ? "built-in types" : "dictionary");
    RunHarness harness(SampleFile("quick.img"), types);
    harness.run->options.includeDeleted = true;
    ASSERT_TRUE(harness.Run());
    std::vector<std::string> photos = Lines(ReadWholeFile("../samples/quick-manifest.txt"));
    ASSERT_EQ(photos.size(), 7u);
    for (std::size_t i = 0; i < photos.size(); ++i) {
      SCOPED_TRACE(photos[i]);
      const File* record = harness.Find(Format("\\Rec%05u.jpg", static_cast<uint32_t>(i + 1)));
      ASSERT_NE(record, nullptr);
      EXPECT_TRUE(harness.Data(*record) == SampleFile(photos[i]));
      EXPECT_TRUE(record->isPicture);
    }
    EXPECT_TRUE(harness.Logged("Searching every sector for lost files. This can take a while."));
    EXPECT_TRUE(harness.Logged("The sector search found 7 files."));
  }
}

// mtools wrote the long-named file; the test then deletes it as DOS does, by
// marking its short entry alone.
TEST(DosDeletedFile, ItsLongNameStaysButTheFileIsDeleted) {
  UseScratchDocumentsFolder();
  std::vector<uint8_t> image = SampleFile("fat16.img");
  const std::string shortName = "NOTESF~1TXT";
  auto at = std::search(image.begin(), image.end(), shortName.begin(), shortName.end());
  ASSERT_NE(at, image.end());
  *at = 0xE5;
  for (bool includeDeleted : {false, true}) {
    SCOPED_TRACE(includeDeleted ? "with deleted entries" : "without deleted entries");
    RunHarness harness(image);
    harness.run->options.includeDeleted = includeDeleted;
    ASSERT_TRUE(harness.Run());
    EXPECT_EQ(harness.Find("\\notes for the trip.txt"), nullptr);
    const File* deleted = harness.Find("\\@OTESF~1.TXT");
    EXPECT_EQ(deleted != nullptr, includeDeleted);
    if (deleted == nullptr) continue;
    EXPECT_TRUE(deleted->longName.empty());
    EXPECT_TRUE(harness.Data(*deleted) == Source("fat-files/notes.txt"));
    EXPECT_TRUE(harness.Logged("Deleted file found: \\@OTESF~1.TXT"));
  }
}

// Random bytes over the chains of the first FAT, the second copy intact:
// every live file is read along the second copy and comes back whole, every
// deleted file from where the second copy holds its clusters free, the trace
// says which chains came from it, and the sectors are searched too.
TEST(DamagedFirstFat, FilesComeBackAlongTheSecondCopy) {
  UseScratchDocumentsFolder();
  RemoveFile(TraceFilePath());
  std::vector<uint8_t> image = SampleFile("fat32.img");
  ASSERT_GT(image.size(), 1u << 20);
  const uint32_t reserved = image[14] | image[15] << 8;
  const std::size_t fat = static_cast<std::size_t>(reserved) * 512;
  std::mt19937 random(20);
  for (std::size_t at = fat + 3 * 4; at < fat + 3000 * 4; ++at) image[at] = static_cast<uint8_t>(random());

  RunHarness harness(image);
  ASSERT_TRUE(harness.opened());
  harness.run->options.includeDeleted = true;
  ASSERT_TRUE(harness.Run());
  int live = 0, deleted = 0;
  for (const ManifestEntry& expected : Manifest()) {
    SCOPED_TRACE(expected.path);
    const File* record = harness.Find(expected.path);
    ASSERT_NE(record, nullptr);
    EXPECT_TRUE(harness.Data(*record) == Source(expected.source));
    EXPECT_EQ(record->modified, expected.modified);
    EXPECT_TRUE(record->isComplete);
    ++(expected.deleted ? deleted : live);
  }
  EXPECT_EQ(live, 10);
  EXPECT_EQ(deleted, 5);
  const std::string trace = ReadWholeFile(TraceFilePath());
  EXPECT_NE(trace.find("Cluster chain of \\DCIM\\100CANON\\IMG_0001.JPG from cluster "), std::string::npos);
  EXPECT_NE(trace.find("Cluster chain of \\DCIM\\100CANON\\@MG_0005.JPG from cluster "), std::string::npos);
  EXPECT_NE(trace.find("read from FAT copy 2: the first copy is damaged there"), std::string::npos);
  EXPECT_NE(trace.find("The 2 FAT copies differ: the sectors are searched too"), std::string::npos);
}

// Both copies damaged the same way: the walk keeps today's rules and drops
// what runs off the medium, and what those files claimed is free for the
// sector search again.
TEST(DamagedFirstFat, ChainsBrokenInEveryCopyFallBackToTheSectorSearch) {
  std::vector<uint8_t> image = SampleFile("fat32.img");
  ASSERT_GT(image.size(), 1u << 20);
  const uint32_t reserved = image[14] | image[15] << 8;
  const uint32_t fatSectors = image[36] | image[37] << 8 | image[38] << 16 | static_cast<uint32_t>(image[39]) << 24;
  for (uint32_t copy = 0; copy < 2; ++copy) {
    const std::size_t fat = (static_cast<std::size_t>(reserved) + copy * fatSectors) * 512;
    std::mt19937 random(21);
    for (std::size_t at = fat + 3 * 4; at < fat + 3000 * 4; ++at) image[at] = static_cast<uint8_t>(random());
  }
  RunHarness harness(image);
  ASSERT_TRUE(harness.opened());
  ASSERT_TRUE(harness.Run());
  // The photos are found by their contents, each whole.
  int whole = 0;
  const std::vector<uint8_t> lake = Source("fat-files/lake.jpg");
  for (const File* record : harness.Records())
    if (!record->isDirectory && harness.Data(*record) == lake) ++whole;
  EXPECT_EQ(whole, 1);
}
