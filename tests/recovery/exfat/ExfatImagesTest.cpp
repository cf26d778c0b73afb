// Whole runs over exFAT cards that mkfs.exfat made and exfat-fuse or
// make-exfat.py filled (scripts/make-samples.sh): every file comes back with its long name,
// folder, size, time and bytes, deleted ones under their real names; a
// quick-formatted card is searched; empty volumes at every cluster and
// sector size, and one inside a partition, are found.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <sstream>

#include "ExfatSamples.h"
#include "ExfatShortName.h"
#include "FileTime.h"
#include "RunHarness.h"
#include "TestFiles.h"
#include "TypeDB.h"

namespace {

struct CameraFile {
  bool deleted;
  std::string path;  // "DCIM/100CANON/IMG_0001.JPG"
  uint64_t size;
  uint64_t modified;
};

std::vector<CameraFile> CameraManifest(const std::string& manifest) {
  std::vector<CameraFile> files;
  std::istringstream in(ReadWholeFile("../samples/" + manifest));
  for (std::string line; std::getline(in, line);) {
    char state[16] = {}, path[256] = {};
    CameraFile file;
    CalendarTime t;
    if (std::sscanf(line.c_str(), "%15[^|]|%255[^|]|%" SCNu64 "|%d-%d-%d %d:%d:%d", state, path, &file.size, &t.year,
                    &t.month, &t.day, &t.hour, &t.minute, &t.second) != 9) {
      ADD_FAILURE() << line;
      continue;
    }
    file.deleted = std::string(state) == "deleted";
    file.path = path;
    EXPECT_TRUE(CalendarToFileTime(t, file.modified)) << line;
    files.push_back(file);
  }
  return files;
}

std::string RecordPath(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return "\\" + path;
}

std::vector<uint8_t> Bytes(const std::string& path) {
  const std::string bytes = ReadWholeFile(path);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

TEST_P(ExfatCard, EveryFileComesBackWithItsNameFolderSizeTimeAndBytes) {
  RunHarness harness(SampleFile(GetParam().image));
  harness.run->options.includeDeleted = true;
  ASSERT_TRUE(harness.Run());
  const std::vector<CameraFile> manifest = CameraManifest(GetParam().manifest);
  ASSERT_EQ(manifest.size(), 7u);
  for (const CameraFile& expected : manifest) {
    SCOPED_TRACE(expected.path);
    const File* record = harness.Find(RecordPath(expected.path));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->size, expected.size);
    EXPECT_EQ(record->modified, expected.modified);
    EXPECT_TRUE(record->isComplete);
    EXPECT_EQ(record->isDeleted, expected.deleted);
    EXPECT_EQ(record->parent->isDeleted, expected.path.find("102GONE") != std::string::npos);
    EXPECT_TRUE(harness.Data(*record) == Bytes("../samples/" + GetParam().files + "/" + expected.path));
    if (expected.deleted)
      EXPECT_TRUE(harness.Logged("Deleted file found: " + RecordPath(expected.path)));
  }
  // The clip grew after other files were written: its clusters are two runs.
  EXPECT_GT(harness.Find("\\DCIM\\100CANON\\MVI_0003.MOV")->runs.size(), 1u);
  EXPECT_TRUE(harness.Find("\\DCIM\\100CANON\\IMG_0001.JPG")->isPicture);
  EXPECT_STREQ(harness.Find("\\DCIM\\100CANON\\IMG_0001.JPG")->shortName, "IMG_0001JPG");
  EXPECT_TRUE(harness.Logged("exFAT volume CAMERA of 32.00 MB found"));
  EXPECT_TRUE(harness.Logged("Deleted folder found: \\DCIM\\102GONE"));
  // Enough was found: the sectors are not searched.
  EXPECT_FALSE(harness.Logged("Searching every sector for lost files. This can take a while."));
  EXPECT_TRUE(harness.Logged("7 files found."));
}

TEST_P(ExfatCard, DeletedFilesStayOutUnlessAsked) {
  RunHarness harness(SampleFile(GetParam().image));
  harness.run->options.includeDeleted = false;
  ASSERT_TRUE(harness.Run());
  EXPECT_NE(harness.Find("\\DCIM\\101TRIP\\IMG_0101.JPG"), nullptr);
  EXPECT_EQ(harness.Find("\\DCIM\\100CANON\\IMG_0002.JPG"), nullptr);
  EXPECT_EQ(harness.Find("\\DCIM\\102GONE"), nullptr);
  EXPECT_TRUE(harness.Logged("5 files found."));
}

INSTANTIATE_TEST_SUITE_P(Cards, ExfatCard, ::testing::ValuesIn(ExfatCameraCards()),
                         [](const ::testing::TestParamInfo<ExfatCameraCard>& info) { return info.param.label; });

TEST(ExfatQuickFormattedCard, ItsPhotosAreFoundAndComeBackWhole) {
  UseScratchDocumentsFolder();
  if (!FileExists("../samples/exfat-quick.img")) GTEST_SKIP() << "no loop device or exfat-fuse here";
  TypeDB dictionary;
  ASSERT_TRUE(dictionary.Load("FileIdentify.dict"));
  std::istringstream manifest(ReadWholeFile("../samples/exfat-quick-manifest.txt"));
  std::vector<std::string> photos;
  for (std::string line; std::getline(manifest, line);) photos.push_back(line);
  ASSERT_EQ(photos.size(), 7u);
  for (TypeDB* types : {static_cast<TypeDB*>(nullptr), &dictionary}) {
    SCOPED_TRACE(types == nullptr ? "built-in types" : "dictionary");
    RunHarness harness(SampleFile("exfat-quick.img"), types);
    harness.run->options.includeDeleted = true;
    ASSERT_TRUE(harness.Run());
    EXPECT_TRUE(harness.Logged("exFAT volume of 36.00 MB found"));
    for (std::size_t i = 0; i < photos.size(); ++i) {
      SCOPED_TRACE(photos[i]);
      char name[32];
      std::snprintf(name, sizeof name, "\\Rec%05u.jpg", static_cast<unsigned>(i + 1));
      const File* record = harness.Find(name);
      ASSERT_NE(record, nullptr);
      EXPECT_TRUE(harness.Data(*record) == SampleFile(photos[i]));
    }
    EXPECT_TRUE(harness.Logged("The sector search found 7 files."));
  }
}

// mkfs.exfat's empty volumes: the label is the only record.
TEST(ExfatEmptyVolumes, AreFoundAtEveryClusterAndSectorSize) {
  UseScratchDocumentsFolder();
  for (const ExfatBootFacts& facts : ExfatSampleFacts()) {
    if (facts.image == "exfat.img") continue;  // holds files
    SCOPED_TRACE(facts.image);
    RunHarness harness(SampleFile(facts.image));
    ASSERT_TRUE(harness.Run());
    const uint64_t bytes = facts.volumeLength << facts.sectorShift;
    const std::string size = std::to_string(bytes >> 20) + ".00 MB";
    EXPECT_TRUE(harness.Logged(facts.label.empty() ? "exFAT volume of " + size + " found"
                                                   : "exFAT volume " + facts.label + " of " + size + " found"));
    EXPECT_EQ(harness.run->media.sectorSize, 1u << facts.sectorShift);
    EXPECT_TRUE(harness.Logged("Found 0.00 KB of files on a medium of " + size + "."));
    uint64_t found = 0;
    EXPECT_EQ(Recovery::countFiles(harness.run->root, found), 0u);
    const File* first = harness.run->root.firstChild;
    if (!facts.label.empty()) {
      ASSERT_NE(first, nullptr);
      EXPECT_TRUE(first->isVolumeLabel);
    }
  }
}

// An 8 MiB volume at sector 2048 of a partitioned card.
TEST(ExfatEmptyVolumes, IsFoundInsideThePartitionTheTableNames) {
  UseScratchDocumentsFolder();
  const std::vector<uint8_t> volume = ExfatSample("exfat-8m.img");
  std::vector<uint8_t> card(2048 * 512, 0);
  uint8_t* entry = &card[446];
  entry[4] = 0x07;
  entry[8] = 0x00, entry[9] = 0x08;  // first sector 2048
  const uint32_t sectors = static_cast<uint32_t>(volume.size() / 512);
  for (int i = 0; i < 4; ++i) entry[12 + i] = static_cast<uint8_t>(sectors >> (8 * i));
  card[510] = 0x55, card[511] = 0xAA;
  card.insert(card.end(), volume.begin(), volume.end());
  RunHarness harness(card);
  ASSERT_TRUE(harness.Run());
  EXPECT_TRUE(harness.Logged("exFAT volume SMALL of 8.00 MB found"));
}

TEST(ExfatShortNameTest, FormsTheEightDotThreeNameOfALongName) {
  const struct {
    std::u16string name;
    const char* expected;
  } cases[] = {
      {u"IMG_0001.JPG", "IMG_0001JPG"},
      {u"img_0001.jpg", "IMG_0001JPG"},
      {u"DCIM", "DCIM       "},
      {u"Holiday at the lake.jpeg", "HOLIDA~1JPE"},  // blanks left out, both parts cut
      {u"a+b.txt", "A_B~1   TXT"},                    // a character no short name holds
      {u"\u00e9t\u00e9.jpg", "_T_~1   JPG"},           // nor any beyond ASCII
      {u".hidden", "HIDDEN~1   "},                      // a leading dot starts no extension
      {u"...", "_~1        "},
      {u"archive.tar.gz", "ARCHIV~1GZ "},
  };
  for (const auto& c : cases) EXPECT_EQ(ExfatShortName(c.name), c.expected) << c.expected;
}
