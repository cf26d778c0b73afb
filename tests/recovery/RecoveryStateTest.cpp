#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Context.h"
#include "CrashFilter.h"
#include "Media.h"
#include "Recovery.h"
#include "TestFiles.h"
#include "TextIds.h"
#include "Trace.h"

namespace {

class RecoveryState : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    RemoveFile(TraceFilePath());
    run.usedSectors().allocate(16);  // sectors 0 .. 127
  }
  void listLines() {
    run.setStatusList(std::make_unique<CallbackStatusList>([this](const std::string& line) { lines.push_back(line); }));
  }

  Media media;
  Recovery run{media, nullptr};
  std::vector<std::string> lines;
};

File* AddFile(File& parent, const std::string& name, uint64_t size, bool directory = false) {
  File* file = new File(name);
  file->size = size;
  file->isDirectory = directory;
  file->appendChild(parent);
  return file;
}

}  // namespace

TEST_F(RecoveryState, MarkUsedAtTheEdgesOfTheMap) {
  run.markUsed(0, 1);
  EXPECT_TRUE(run.isUsed(0));
  EXPECT_FALSE(run.isUsed(1));
  run.markUsed(119, 1);
  EXPECT_TRUE(run.isUsed(119));
  run.markUsed(126, 1);  // ends in the last byte, but before its end
  EXPECT_TRUE(run.isUsed(126));
  run.markUsed(127, 1);  // reaches the end of the map: nothing happens
  EXPECT_FALSE(run.isUsed(127));
  EXPECT_FALSE(run.isUsed(128));
  EXPECT_FALSE(run.isUsed(0xFFFFFFFFu));
}

TEST_F(RecoveryState, RangesThatReachTheEndChangeNothing) {
  run.progressPos = 5;
  run.markUsed(100, 28);
  run.markUsed(0xFFFFFFF0u, 0x20);  // wraps in 32 bits, not in the map's arithmetic
  run.markUsed(0xFFFFFFFFu, 1);
  for (uint32_t s = 0; s < 128; ++s) EXPECT_FALSE(run.isUsed(s)) << s;
  EXPECT_EQ(run.progressPos.load(), 5u);
}

TEST_F(RecoveryState, LongRunSetsWholeBytes) {
  run.markUsed(3, 30);  // sectors 3 .. 32
  EXPECT_EQ(run.usedSectors().bits()[0], 0x1F);
  EXPECT_EQ(run.usedSectors().bits()[1], 0xFF);
  EXPECT_EQ(run.usedSectors().bits()[2], 0xFF);
  EXPECT_EQ(run.usedSectors().bits()[3], 0xFF);
  EXPECT_EQ(run.usedSectors().bits()[4], 0x80);
  EXPECT_EQ(run.usedSectors().bits()[5], 0x00);
  EXPECT_EQ(run.progressPos.load(), 3u);
  run.markUsed(1, 1);
  EXPECT_EQ(run.progressPos.load(), 3u);  // only ever raised
}

TEST_F(RecoveryState, ReleaseFileClearsOnlyItsSectorsInsideTheMap) {
  run.markUsed(0, 120);
  File file;
  file.addRun(10, 5);
  file.addRun(118, 0xFFFFFF00u);  // runs far past the map
  run.usedSectors().release(file);
  for (uint32_t s = 0; s < 120; ++s) EXPECT_EQ(run.isUsed(s), s < 10 || (s >= 15 && s < 118)) << s;
}

TEST_F(RecoveryState, CountFilesDescendsAndAddsSizesButNotTheVolumeLabel) {
  AddFile(run.root, "HOLIDAY", 0)->isVolumeLabel = true;
  File* folder = AddFile(run.root, "DCIM", 0, true);
  AddFile(*folder, "A", 100);
  AddFile(*AddFile(*folder, "SUB", 0, true), "B", 50);
  AddFile(run.root, "C", 7);
  uint64_t bytes = 1000;
  EXPECT_EQ(Recovery::countFiles(run.root, bytes), 3u);
  EXPECT_EQ(bytes, 1157u);
}

TEST_F(RecoveryState, ProgressPercentOfLargeMediaAndOfNothing) {
  EXPECT_EQ(run.progressPercent(), 0u);
  run.scanEnd = 4000000000u;
  run.progressPos = 3000000000u;
  EXPECT_EQ(run.progressPercent(), 75u);
  run.progressPos = 4000000000u;
  EXPECT_EQ(run.progressPercent(), 100u);
}

// A position past the end (a file found beyond it) and a moment in which the
// end has moved before the position: the bar stays within 0..100 and never
// goes back.
TEST_F(RecoveryState, ProgressPercentStaysWithinTheBarAndNeverGoesBack) {
  run.scanEnd = 1000;
  run.progressPos = 5000;
  EXPECT_EQ(run.progressPercent(), 100u);
  run.scanEnd = 400;
  run.progressPos = 40;
  EXPECT_EQ(run.progressPercent(), 100u);

  Recovery fresh(media, nullptr);
  fresh.scanEnd = 400;
  fresh.progressPos = 100;
  EXPECT_EQ(fresh.progressPercent(), 25u);
  fresh.scanEnd = 2000000;  // the end is known; the position follows
  EXPECT_EQ(fresh.progressPercent(), 25u);
  fresh.progressPos = 1000000;
  EXPECT_EQ(fresh.progressPercent(), 50u);
}

TEST_F(RecoveryState, LogByIdWritesListAndTrace) {
  listLines();
  run.LogById(kTextDeletedFileFound, "\\DCIM\\IMG_0001.JPG");
  run.LogById(59999);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0].find("\\DCIM\\IMG_0001.JPG"), std::string::npos);
  EXPECT_EQ(lines[1], "Log message id 59999 not defined");
  EXPECT_EQ(ReadWholeFile(TraceFilePath()), "Log: " + lines[0] + "\r\nLog: Log message id 59999 not defined\r\n");
}

TEST_F(RecoveryState, LogByIdWithoutAListWritesNothingAnywhere) {
  run.LogById(kTextSectorSearchBegins);
  run.setStatusList(std::make_unique<CallbackStatusList>(nullptr));  // a list that is gone
  run.LogById(kTextSectorSearchBegins);
  EXPECT_FALSE(FileExists(TraceFilePath()));
}

TEST_F(RecoveryState, LongLogLinesAreCut) {
  listLines();
  run.LogById(kTextDeletedFileFound, std::string(1000, 'x'));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 399u);
}

TEST_F(RecoveryState, CrashNamesComeFromTheTable) {
  EXPECT_STREQ(CrashName(0xC0000005u), "Access violation");
  EXPECT_STREQ(CrashName(0xC00000FDu), "Stack overflow");
  EXPECT_STREQ(CrashName(0x12345678u), "");
}

TEST(RecoveryStart, TypeOptionsAreNormalisedWhenTheRunStarts) {
  UseScratchDocumentsFolder();  // the run traces what it reads
  Media media;
  Recovery none(media, nullptr);
  none.options.types.wantTiff = false;
  ASSERT_TRUE(none.start());
  none.startEvent.set();
  none.waitUntilFinished();
  const TypeOptions& all = none.options.types;
  EXPECT_TRUE(all.wantJpeg && all.wantVideo && all.wantAvi && all.wantMp3 && all.wantOthers);
  EXPECT_FALSE(none.options.types.wantTiff);

  Recovery others(media, nullptr);
  others.options.types.wantOthers = true;
  others.options.types.wantTiff = true;
  ASSERT_TRUE(others.start());
  others.startEvent.set();
  others.waitUntilFinished();
  const TypeOptions& withOthers = others.options.types;
  EXPECT_TRUE(withOthers.wantJpeg && withOthers.wantVideo && withOthers.wantAvi && withOthers.wantMp3 &&
              withOthers.wantTiff);

  Recovery some(media, nullptr);
  some.options.types.wantMp3 = true;
  ASSERT_TRUE(some.start());
  some.startEvent.set();
  some.waitUntilFinished();
  EXPECT_TRUE(some.options.types.wantMp3);
  EXPECT_FALSE(some.options.types.wantJpeg || some.options.types.wantOthers);
}

TEST(RecoveryStart, NothingRunsBeforeTheStartEvent) {
  UseScratchDocumentsFolder();  // the run traces what it reads
  Media media;
  Recovery run(media, nullptr);
  ASSERT_TRUE(run.start());
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  EXPECT_FALSE(run.isFinished());
  EXPECT_FALSE(run.options.types.wantJpeg);
  EXPECT_TRUE(run.end(1000));  // a stop request ends the wait
}

TEST(RecoveryStart, StopsAtRandomMomentsEndPromptly) {
  UseScratchDocumentsFolder();  // the run traces what it reads
  Media media;
  std::mt19937 random(12345);
  for (int i = 0; i < 100; ++i) {
    auto run = std::make_unique<Recovery>(media, nullptr);
    ASSERT_TRUE(run->start());
    if (random() % 2 == 0) run->startEvent.set();
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    EXPECT_TRUE(run->end(1000)) << "attempt " << i;
  }
}
