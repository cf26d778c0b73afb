#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "File.h"
#include "FileTime.h"

namespace {

// Makes a child of parent; the parent owns it.
File* Child(File& parent, const std::string& name, bool directory = false) {
  File* child = new File(name);
  child->isDirectory = directory;
  child->appendChild(parent);
  return child;
}

CalendarTime Stamp(uint64_t fileTime) {
  CalendarTime time;
  EXPECT_TRUE(FileTimeToCalendar(fileTime, time));
  return time;
}

}  // namespace

TEST(FileRuns, AdjacentRangesMerge) {
  File file("PHOTO   JPG");
  file.addRun(10, 4);
  file.addRun(14, 2);
  ASSERT_EQ(file.runs.size(), 1u);
  EXPECT_EQ(file.runs[0].count, 6u);
  file.addRun(20, 1);
  file.addRun(12, 1);
  ASSERT_EQ(file.runs.size(), 3u);
  EXPECT_EQ(file.runs[1].first, 20u);
  EXPECT_EQ(file.runs[2].first, 12u);
  EXPECT_EQ(file.countSectors(), 8u);
  EXPECT_EQ(file.lastSector(), 12u);
}

TEST(FileRuns, NextSectorWalksTheRunsAndEndsWithZero) {
  File file;
  EXPECT_EQ(file.nextSector(0), 0u);
  file.addRun(10, 2);
  file.addRun(20, 1);
  EXPECT_EQ(file.nextSector(0), 10u);
  EXPECT_EQ(file.nextSector(10), 11u);
  EXPECT_EQ(file.nextSector(11), 20u);
  EXPECT_EQ(file.nextSector(20), 0u);
  EXPECT_EQ(file.nextSector(15), 0u);  // in no run
}

TEST(FileRuns, RunsReachingTheTopOfTheSectorRange) {
  File file;
  file.addRun(0xFFFFFFF0u, 15);
  file.addRun(0xFFFFFFFFu, 1);  // merges: 0xFFFFFFF0 + 15 is 0xFFFFFFFF
  ASSERT_EQ(file.runs.size(), 1u);
  EXPECT_EQ(file.lastSector(), 0xFFFFFFFFu);
  EXPECT_EQ(file.nextSector(0xFFFFFFFEu), 0xFFFFFFFFu);
  EXPECT_EQ(file.nextSector(0xFFFFFFFFu), 0u);
}

TEST(FileTree, ChildrenKeepTheirOrderAndUnlinkWhenDestroyed) {
  File root;
  File* a = Child(root, "A");
  File* b = Child(root, "B");
  File* c = Child(root, "C");
  EXPECT_EQ(root.firstChild, a);
  EXPECT_EQ(a->next, b);
  EXPECT_EQ(c->prev, b);
  delete b;
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(c->prev, a);
  delete a;
  EXPECT_EQ(root.firstChild, c);
  Child(*Child(root, "DIR", true), "INNER");  // freed with root
}

TEST(FileTree, FindChildComparesPaddedNamesIgnoringCase) {
  File root;
  File* folder = Child(root, "DCIM       ", true);
  File* photo = Child(*folder, "IMG_0001JPG");
  File* readme = Child(*folder, "README     ");
  EXPECT_EQ(folder->findChild("img_0001.jpg"), photo);
  EXPECT_EQ(folder->findChild("README"), readme);
  EXPECT_EQ(folder->findChild("README.TXT"), nullptr);
  // A record without children searches its siblings.
  EXPECT_EQ(photo->findChild("README"), readme);
  File lonely("LONELY     ");
  EXPECT_EQ(lonely.findChild("LONELY"), nullptr);
}

TEST(FileNames, DisplayNameFromTheShortName) {
  EXPECT_EQ(File("README  TXT").displayName(), "README.TXT");
  EXPECT_EQ(File("README     ").displayName(), "README");
  EXPECT_EQ(File(File::GeneratedName("Rec", 1, "jpg")).displayName(), "Rec00001.jpg");
  EXPECT_EQ(File(File::GeneratedName("REC", 42, "ac")).displayName(), "REC00042.ac");
  EXPECT_EQ(File::GeneratedName("Rec", 100000, "jpg"), "Rec100000jp");
  File named("PHOTO~1 JPG");
  named.setLongName(u"Holiday photo.jpg");
  EXPECT_EQ(named.displayName(), "Holiday photo.jpg");
}

TEST(FileNames, PathTextShowsAndShortensTheFolders) {
  File root;
  File* at = &root;
  const char* names[] = {"ONE", "TWO", "THREE", "FOUR", "FIVE", "SIX"};
  for (const char* name : names) at = Child(*at, name, true);
  File* photo = Child(*at, "IMG     JPG");
  EXPECT_EQ(photo->pathText(0), "\\ONE\\TWO\\THREE\\FOUR\\FIVE\\SIX\\IMG.JPG");
  EXPECT_EQ(photo->pathText(100), "\\ONE\\TWO\\THREE\\FOUR\\FIVE\\SIX\\IMG.JPG");
  // The folders take 28 characters; the top two and the nearest two stay.
  EXPECT_EQ(photo->pathText(27), "\\ONE\\TWO\\THREE\\...\\FIVE\\SIX\\IMG.JPG");
  EXPECT_EQ(photo->pathText(21), "\\ONE\\TWO\\...\\FIVE\\SIX\\IMG.JPG");
  EXPECT_EQ(photo->pathText(20), "\\...\\IMG.JPG");
  EXPECT_EQ(Child(root, "TOP     TXT")->pathText(5), "\\TOP.TXT");
}

TEST(FileNames, PathTextOfADeeplyNestedRecord) {
  File root;
  File* at = &root;
  for (int i = 0; i < 40; ++i) at = Child(*at, "D", true);
  File* leaf = Child(*at, "LEAF");
  std::string full = leaf->pathText(0);
  EXPECT_EQ(full.size(), 40u * 2 + 5);
  std::string top;
  for (int i = 0; i < 11; ++i) top += "\\D";
  EXPECT_EQ(leaf->pathText(30), top + "\\...\\D\\D\\LEAF");
}

TEST(FileTimes, DosTimeBecomesAFileTime) {
  File file;
  // 2023-12-24, 13:45:20 (seconds field 10) with 150 tenths: 35 s, 0 ms.
  uint16_t date = static_cast<uint16_t>(((2023 - 1980) << 9) | (12 << 5) | 24);
  uint16_t time = static_cast<uint16_t>((13 << 11) | (45 << 5) | 10);
  file.setDosTime(File::kCreated, date, time, 150);
  CalendarTime created = Stamp(file.created);
  EXPECT_EQ(created.year, 2023);
  EXPECT_EQ(created.month, 12);
  EXPECT_EQ(created.day, 24);
  EXPECT_EQ(created.hour, 13);
  EXPECT_EQ(created.minute, 45);
  EXPECT_EQ(created.second, 35);
  EXPECT_EQ(created.millisecond, 0);
  file.setDosTime(File::kAccessed, date, 0, 0);
  EXPECT_EQ(Stamp(file.accessed).hour, 0);
  EXPECT_EQ(file.modified, 0u);
}

TEST(FileTimes, ImpossibleDatesLeaveTheStampZero) {
  File file;
  file.setDosTime(File::kModified, static_cast<uint16_t>((43 << 9) | (13 << 5) | 1), 0, 0);  // month 13
  file.setDosTime(File::kCreated, static_cast<uint16_t>((43 << 9) | (2 << 5) | 30), 0, 0);   // 30 February
  file.setDosTime(File::kAccessed, 0, 0, 0);                                                  // day 0
  EXPECT_EQ(file.modified, 0u);
  EXPECT_EQ(file.created, 0u);
  EXPECT_EQ(file.accessed, 0u);
  file.setDosTime(File::kModified, static_cast<uint16_t>((44 << 9) | (2 << 5) | 29), 31, 0);  // 29 Feb 2024, 62 s
  EXPECT_EQ(file.modified, 0u);
}

TEST(FileTimes, CalendarRoundTripAcrossLeapYears) {
  const int years[] = {1601, 1980, 2000, 2024, 2100, 2107};
  for (int year : years) {
    CalendarTime in;
    in.year = year;
    in.month = 2;
    in.day = (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 29 : 28;
    in.hour = 23;
    in.minute = 59;
    in.second = 58;
    in.millisecond = 900;
    uint64_t fileTime = 0;
    ASSERT_TRUE(CalendarToFileTime(in, fileTime)) << year;
    CalendarTime out = Stamp(fileTime);
    EXPECT_EQ(out.year, year);
    EXPECT_EQ(out.day, in.day);
    EXPECT_EQ(out.millisecond, 900);
  }
  CalendarTime epoch;
  epoch.year = 1980;
  epoch.month = 1;
  epoch.day = 1;
  uint64_t ticks = 0;
  ASSERT_TRUE(CalendarToFileTime(epoch, ticks));
  EXPECT_EQ(ticks, 119600064000000000ULL);  // the well-known FILETIME of 1 January 1980
}

TEST(FileTexts, SizeTextSwitchesUnitsAtItsThresholds) {
  File file;
  file.size = 9215;
  EXPECT_EQ(file.sizeText(false), "9,215");
  file.size = 9216;
  EXPECT_EQ(file.sizeText(false), "9.00K");
  file.size = 0x900000 - 1;
  EXPECT_EQ(file.sizeText(false), "9215.99K");
  file.size = 0x900000;
  EXPECT_EQ(file.sizeText(false), "9.00M");
  file.size = 2000ULL * 1048576;
  EXPECT_EQ(file.sizeText(false), "1.95G");
  EXPECT_EQ(file.sizeText(true), "1.95G (2,097,152,000 bytes)");
  file.size = 0;
  EXPECT_EQ(file.sizeText(true), "0");
}

TEST(FileTexts, DateTextAlignsDateAndTime) {
  File file;
  EXPECT_EQ(file.dateText(File::kCreated), "-- N/A --");
  file.setDosTime(File::kCreated, static_cast<uint16_t>((46 << 9) | (12 << 5) | 8), (14 << 11) | (5 << 5) | 4, 0);
  std::string text = file.dateText(File::kCreated);
  EXPECT_GE(text.size(), 23u);
  EXPECT_NE(text.find("2026"), std::string::npos);
  EXPECT_NE(text.find("05:08"), std::string::npos);
}

TEST(FileTexts, RunsTextGroupsEightRuns) {
  File file;
  for (uint32_t i = 0; i < 9; ++i) file.addRun(100 + i * 10, 2);
  EXPECT_EQ(file.runsText(0).substr(0, 18), "(100-101) (110-111");
  EXPECT_EQ(file.runsText(1), "(180-181) ");
  EXPECT_EQ(file.runsText(2), "");
}
