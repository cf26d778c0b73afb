// The directory walk over volumes built byte by byte: long names, the live
// and deleted passes, collisions, short chains, and directories that would
// lead the walk in circles or without end.
#include <gtest/gtest.h>

#include "FatBuilder.h"
#include "RunHarness.h"
#include "TestFiles.h"

namespace {

std::vector<uint8_t> Bytes(std::size_t count, uint8_t seed) {
  std::vector<uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 512);
  return bytes;
}

class DirectoryWalkTest : public ::testing::Test {
 protected:
  void SetUp() override { UseScratchDocumentsFolder(); }

  // The walk alone: no sector search afterwards.
  RunHarness& Walk(bool includeDeleted = false, bool keepPartial = false) {
    harness.reset(new RunHarness(volume.image));
    harness->run->options.suppressIntensive = true;
    harness->run->options.includeDeleted = includeDeleted;
    harness->run->options.keepPartial = keepPartial;
    EXPECT_TRUE(harness->Run());
    return *harness;
  }
  // Enough files that few found is no reason to think the volume damaged.
  void AddFiveFiles() {
    for (uint32_t i = 0; i < 5; ++i)
      volume.addFile(0, {"FILE" + std::to_string(i) + "   TXT", 0x20, 3000 + i, 10}, Bytes(10, 9));
  }
  std::vector<uint8_t> DataOf(const std::string& path) {
    const File* record = harness->Find(path);
    return record != nullptr ? harness->Data(*record) : std::vector<uint8_t>();
  }

  FatBuilder volume{FatKind::kFat16, 4200};
  std::unique_ptr<RunHarness> harness;
};

}  // namespace

TEST_F(DirectoryWalkTest, LongNamesOfLiveEntriesOnlyAndNotAfterAnOrphanedPart) {
  volume.addWithLongName(0, u"A photo with a rather long name.jpeg", {"APHOTO~1JPE", 0x20, 10, 600});
  volume.addWithLongName(0, u"Deleted with a long name of 3 parts", {"DELETE~1   ", 0x20, 12, 100});
  for (std::size_t i = 4; i <= 7; ++i) volume.markDeleted(0, i);  // its three long-name entries and itself
  volume.add(0, {"\x02RPHANED  ", 0x0F, 0, 0});  // a long-name entry without the 0x40 of a first part
  volume.addWithLongName(0, u"later long name.txt", {"LATERL~1TXT", 0x20, 14, 10});
  volume.chain({10, 11});
  Walk(true);
  ASSERT_NE(harness->Find("\\A photo with a rather long name.jpeg"), nullptr);
  const File* deleted = harness->Find("\\@ELETE~1");
  ASSERT_NE(deleted, nullptr);
  EXPECT_TRUE(deleted->longName.empty());
  EXPECT_NE(harness->Find("\\LATERL~1.TXT"), nullptr);
  EXPECT_EQ(harness->Records().size(), 3u);
}

// DOS deletes a file by marking its short entry alone: the long-name entries
// in front of it stay as they were, but the file is deleted all the same.
TEST_F(DirectoryWalkTest, ADosDeletedShortEntryMakesItsWholeSetDeleted) {
  AddFiveFiles();
  volume.addWithLongName(0, u"Holiday photo at the lake.jpg", {"HOLIDA~1JPG", 0x20, 10, 600});
  volume.markDeleted(0, volume.indexOf(0, "HOLIDA~1JPG"));
  Walk(false);
  EXPECT_EQ(harness->Find("\\Holiday photo at the lake.jpg"), nullptr);
  EXPECT_EQ(harness->Records().size(), 5u);

  Walk(true);
  EXPECT_EQ(harness->Find("\\Holiday photo at the lake.jpg"), nullptr);
  const File* deleted = harness->Find("\\@OLIDA~1.JPG");
  ASSERT_NE(deleted, nullptr);
  EXPECT_TRUE(deleted->longName.empty());
  EXPECT_TRUE(harness->Logged("Deleted file found: \\@OLIDA~1.JPG"));
  EXPECT_EQ(harness->Records().size(), 6u);
}

// A new file takes the short entry's slot of a deleted one: the deleted
// long-name entries in front of it, or live ones of another name, are not
// its name, and it is no deleted file.
TEST_F(DirectoryWalkTest, LongNameEntriesOfAnotherFileNeverAttach) {
  AddFiveFiles();
  volume.addWithLongName(0, u"An old name that was deleted.jpg", {"ANOLDN~1JPG", 0x20, 10, 600});
  const std::size_t reused = volume.indexOf(0, "ANOLDN~1JPG");
  for (std::size_t i = 5; i <= reused; ++i) volume.markDeleted(0, i);
  volume.put(0, reused, {"NEW     JPG", 0x20, 12, 100});
  volume.addWithLongName(0, u"A name from a DOS delete.jpg", {"ANAMEF~1JPG", 0x20, 13, 100});
  volume.put(0, volume.indexOf(0, "ANAMEF~1JPG"), {"OTHER   JPG", 0x20, 14, 100});
  volume.chain({12});
  volume.chain({14});
  Walk(true);
  const File* reusedSlot = harness->Find("\\NEW.JPG");
  ASSERT_NE(reusedSlot, nullptr);
  EXPECT_TRUE(reusedSlot->longName.empty());
  EXPECT_TRUE(reusedSlot->isComplete);
  const File* otherChecksum = harness->Find("\\OTHER.JPG");
  ASSERT_NE(otherChecksum, nullptr);
  EXPECT_TRUE(otherChecksum->longName.empty());
  EXPECT_FALSE(harness->Logged("Deleted file found: \\NEW.JPG"));
  EXPECT_FALSE(harness->run->structureDamaged);
  EXPECT_EQ(harness->Records().size(), 7u);
}

TEST_F(DirectoryWalkTest, TheDeletedPassLooksIntoLiveFoldersWithoutDuplicatingThem) {
  volume.addDirectory(0, "SUB", 20);
  volume.addFile(20, {"GONE    TXT", 0x20, 21, 700}, Bytes(700, 1));
  volume.markDeleted(20, 2);
  volume.setFat(21, 0);
  volume.setFat(22, 0);
  Walk(true);
  ASSERT_EQ(harness->Records().size(), 2u);
  EXPECT_EQ(DataOf("\\SUB\\@ONE.TXT"), Bytes(700, 1));
  EXPECT_TRUE(harness->Logged("Deleted file found: \\SUB\\@ONE.TXT"));
  EXPECT_EQ(harness->Find("\\SUB")->size, 512u);  // a folder's size is its clusters'
}

TEST_F(DirectoryWalkTest, AnEscapedE5NameIsALiveEntryInBothPasses) {
  volume.addFile(0, {"\x05SCAPED TXT", 0x20, 30, 100}, Bytes(100, 2));
  Walk(true);
  ASSERT_EQ(harness->Records().size(), 1u);
  EXPECT_EQ(static_cast<uint8_t>(harness->Records()[0]->shortName[0]), 0xE5);
  for (const std::string& line : harness->lines) EXPECT_EQ(line.find("Deleted"), std::string::npos);
}

TEST_F(DirectoryWalkTest, AFileLongerThanItsChainIsDroppedOrExtendedWithKeepPartial) {
  volume.addFile(0, {"SHORT   BIN", 0x20, 40, 2000}, Bytes(2000, 3));
  volume.chain({40, 41});  // two of its four clusters
  Walk();
  EXPECT_EQ(harness->Find("\\SHORT.BIN"), nullptr);

  Walk(false, true);
  const File* kept = harness->Find("\\SHORT.BIN");
  ASSERT_NE(kept, nullptr);
  EXPECT_TRUE(kept->isComplete);
  EXPECT_EQ(DataOf("\\SHORT.BIN"), Bytes(2000, 3));
  EXPECT_TRUE(harness->Logged("SHORT.BIN: its size (2000 bytes) is larger than its 1024 allocated bytes; extended"));

  // A sector that another file claims ends the extension there.
  volume = FatBuilder(FatKind::kFat16, 4200);
  volume.addFile(0, {"NEXT    BIN", 0x20, 43, 10}, Bytes(10, 4));
  volume.addFile(0, {"SHORT   BIN", 0x20, 40, 2000}, Bytes(2000, 3));
  volume.chain({40, 41});
  Walk(false, true);
  kept = harness->Find("\\SHORT.BIN");
  ASSERT_NE(kept, nullptr);
  EXPECT_FALSE(kept->isComplete);
  EXPECT_EQ(kept->countSectors(), 3u);
}

TEST_F(DirectoryWalkTest, ErasedFlashAndEntriesLargerThanTheMediumGiveNoRecords) {
  volume.add(0, {"HUGE    BIN", 0x20, 50, 0xFFFFFFF0u});
  Walk();
  EXPECT_TRUE(harness->Records().empty());
  EXPECT_TRUE(harness->Logged("HUGE.BIN: its size is larger than the whole medium; left out"));

  std::fill(volume.entry(0, 0), volume.entry(0, 0) + 32, 0xFF);
  volume.add(0, {"AFTER   TXT", 0x20, 51, 10});
  Walk();
  EXPECT_TRUE(harness->Records().empty());
}

TEST_F(DirectoryWalkTest, SharedClustersAreReportedAndMakeRecordsIncomplete) {
  volume.addFile(0, {"FIRST   BIN", 0x20, 60, 1024}, Bytes(1024, 5));
  volume.add(0, {"SECOND  BIN", 0x20, 61, 512});  // its cluster is FIRST's second
  volume.add(0, {"OLD     BIN", 0x20, 60, 512});
  volume.markDeleted(0, 2);
  Walk(true);
  EXPECT_TRUE(harness->Logged("\\SECOND.BIN: its data is used by another file"));
  EXPECT_FALSE(harness->Find("\\SECOND.BIN")->isComplete);
  EXPECT_EQ(harness->Find("\\@LD.BIN"), nullptr);  // a deleted file whose data is taken

  Walk(true, true);
  ASSERT_NE(harness->Find("\\@LD.BIN"), nullptr);
  EXPECT_FALSE(harness->Find("\\@LD.BIN")->isComplete);
  EXPECT_TRUE(harness->Logged("\\@LD.BIN: deleted file, partly overwritten by another file; kept as incomplete"));
}

TEST_F(DirectoryWalkTest, ChainsThatLoopOrEndWithAnyEndMark) {
  volume.add(0, {"LOOP    BIN", 0x20, 70, 3 * 512});
  volume.setFat(70, 71);
  volume.setFat(71, 70);
  volume.add(0, {"ENDMARK BIN", 0x20, 80, 512});
  volume.setFat(80, 0xFFF8);
  AddFiveFiles();
  Walk(false, true);
  const File* loop = harness->Find("\\LOOP.BIN");
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->runs.front().first, volume.clusterSector(70));
  EXPECT_EQ(loop->countSectors(), 3u);  // two clusters, then the extension
  EXPECT_TRUE(harness->run->structureDamaged);
  const File* ended = harness->Find("\\ENDMARK.BIN");
  ASSERT_NE(ended, nullptr);
  EXPECT_EQ(ended->countSectors(), 1u);
}

TEST_F(DirectoryWalkTest, FoldersThatPointBackOrGoTooDeepEndTheDescent) {
  volume.addDirectory(0, "A", 100);
  volume.add(100, {"BACK", 0x10, 100, 0});  // A inside A
  for (uint32_t depth = 1; depth <= 80; ++depth) volume.addDirectory(depth == 1 ? 0 : 199 + depth, "D", 200 + depth);
  AddFiveFiles();
  Walk(true);
  EXPECT_NE(harness->Find("\\A\\BACK"), nullptr);
  EXPECT_EQ(harness->Find("\\A\\BACK\\BACK"), nullptr);
  std::size_t folders = 0;
  for (const File* record : harness->Records()) folders += record->shortName[0] == 'D';
  EXPECT_GE(folders, 60u);
  EXPECT_LT(folders, 80u);
  EXPECT_TRUE(harness->run->structureDamaged);
}

TEST_F(DirectoryWalkTest, AnEntryOffTheMediumIsDamage) {
  volume.add(0, {"AWAY    BIN", 0x20, 0xFFF0, 512});
  volume.add(0, {"FAR     BIN", 0x20, 4201, 512});  // the last cluster lies beyond the image's end
  volume.setFat(4201, 0xFFFF);
  volume.image.resize(volume.clusterSector(4201) * 512);
  AddFiveFiles();
  Walk();
  EXPECT_EQ(harness->Records().size(), 5u);
  EXPECT_TRUE(harness->run->structureDamaged);
}
