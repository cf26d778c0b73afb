// The copy routine over the in-memory device: data along the runs, the
// failures of its table, the folders it makes or refuses, the names it
// takes so that nothing in the destination is replaced, and the times the
// copies keep.
#include <gtest/gtest.h>

#include <cstdio>

#include "CopiedTimes.h"
#include "CopyTestSupport.h"
#include "FileCopier.h"
#include "FileTime.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

using FileCopierData = CopyTest;

TEST_F(FileCopierData, FollowsTheRunsAndCutsTheLastSector) {
  File* folder = AddFolder(root, "DCIM");
  File* photo = AddRecord(*folder, "IMG_0001JPG", 3 * kSector + 100, {{10, 3}, {50, 1}, {5, 2}});
  FileCopier copier(*media, Destination());
  ASSERT_TRUE(copier.CopyOneFile(*photo));
  EXPECT_EQ(ReadPath(Below(u"DCIM/IMG_0001.JPG")), Expected({{10, 3}, {50, 1}}, photo->size));
  EXPECT_EQ(pump.calls, 4);  // once before each sector
  EXPECT_EQ(copier.lastTarget, copier.TargetPath(*photo));
}

TEST_F(FileCopierData, ChainShorterThanTheSizeIsASuccess) {
  File* photo = AddRecord(root, "SHORT   JPG", 5 * kSector, {{20, 2}});
  FileCopier copier(*media, Destination());
  ASSERT_TRUE(copier.CopyOneFile(*photo));
  EXPECT_EQ(ReadPath(Below(u"SHORT.JPG")), Expected({{20, 2}}, 2 * kSector));
}

// A raw image without a file system can hold a photo from its first sector
// on; overlapping runs are copied as they stand, once each.
TEST_F(FileCopierData, RunsFromSectorZeroAndOverlappingRuns) {
  File* first = AddRecord(root, "REC00001JPG", 2 * kSector + 10, {{0, 3}});
  File* overlapping = AddRecord(root, "REC00002JPG", 6 * kSector, {{10, 4}, {11, 1}, {30, 1}});
  FileCopier copier(*media, Destination());
  ASSERT_TRUE(copier.CopyOneFile(*first));
  ASSERT_TRUE(copier.CopyOneFile(*overlapping));
  EXPECT_EQ(ReadPath(Below(u"REC00001.JPG")), Expected({{0, 3}}, first->size));
  EXPECT_EQ(ReadPath(Below(u"REC00002.JPG")), Expected({{10, 4}, {11, 1}, {30, 1}}, 6 * kSector));
}

TEST_F(FileCopierData, EmptyFileAndTrailingSeparator) {
  File* empty = AddRecord(root, "EMPTY   TXT", 0, {});
  FileCopier copier(*media, Destination() + static_cast<char>(kTargetSeparator));
  EXPECT_EQ(copier.TargetPath(*empty), Below(u"EMPTY.TXT").u16string());
  ASSERT_TRUE(copier.CopyOneFile(*empty));
  EXPECT_TRUE(fs::exists(Below(u"EMPTY.TXT")));
  EXPECT_EQ(fs::file_size(Below(u"EMPTY.TXT")), 0u);
}

TEST_F(FileCopierData, LongNameTheCodePageCannotHoldIsCreatedWhole) {
  File* folder = AddFolder(root, "OMEGA~1", u"Ωμέγα");
  File* photo = AddRecord(*folder, "PHOTO~1 JPG", 100, {{40, 1}}, u"Φωτογραφία 😀.jpg");
  ASSERT_TRUE(FileCopier(*media, Destination()).CopyOneFile(*photo));
  EXPECT_EQ(ReadPath(Below(u"Ωμέγα/Φωτογραφία 😀.jpg")), Expected({{40, 1}}, 100));
}

using FileCopierFailures = CopyTest;

TEST_F(FileCopierFailures, UnreadableSectorKeepsThePartialFile) {
  medium->FailSector(61);
  File* photo = AddRecord(root, "BAD     JPG", 3 * kSector, {{60, 3}});
  FileCopier copier(*media, Destination());
  EXPECT_FALSE(copier.CopyOneFile(*photo));
  EXPECT_EQ(copier.lastError, 23u);
  EXPECT_EQ(ReadPath(Below(u"BAD.JPG")), Expected({{60, 1}}, kSector));
}

TEST_F(FileCopierFailures, FailedWriteDeletesTheFile) {
  FaultyFileSystem full;
  full.writableBytes = 2 * kSector;
  File* photo = AddRecord(root, "FULL    JPG", 3 * kSector, {{60, 3}});
  FileCopier copier(*media, Destination(), full);
  EXPECT_FALSE(copier.CopyOneFile(*photo));
  EXPECT_EQ(copier.lastError, 112u);
  EXPECT_FALSE(fs::exists(Below(u"FULL.JPG")));
}

TEST_F(FileCopierFailures, FailedCloseDeletesTheFile) {
  FaultyFileSystem lateFailure;
  lateFailure.failClose = true;
  lateFailure.writeError = 1117;
  File* photo = AddRecord(root, "LATE    JPG", 10, {{60, 1}});
  FileCopier copier(*media, Destination(), lateFailure);
  EXPECT_FALSE(copier.CopyOneFile(*photo));
  EXPECT_EQ(copier.lastError, 1117u);
  EXPECT_FALSE(fs::exists(Below(u"LATE.JPG")));
}

// The user's file of the same name stays whole when the copy beside it
// fails.
TEST_F(FileCopierFailures, FailedWriteDeletesOnlyTheCopy) {
  WritePath(Below(u"NOTE.TXT"), "the user's own");
  FaultyFileSystem full;
  full.writableBytes = kSector;
  File* note = AddRecord(root, "NOTE    TXT", 3 * kSector, {{60, 3}});
  FileCopier copier(*media, Destination(), full);
  EXPECT_FALSE(copier.CopyOneFile(*note));
  EXPECT_EQ(full.deleted, std::vector<std::u16string>{Below(u"NOTE (2).TXT").u16string()});
  EXPECT_EQ(ReadPath(Below(u"NOTE.TXT")), "the user's own");
}

// A name no search finds but the creation refuses (a link to nothing, a
// file made in between) is passed over for the next.
TEST_F(FileCopierFailures, NameRefusedAtCreationTakesTheNext) {
  FaultyFileSystem files;
  files.hidden = {Below(u"A.JPG").u16string(), Below(u"A (2).JPG").u16string()};
  File* photo = AddRecord(root, "A       JPG", 10, {{60, 1}});
  FileCopier copier(*media, Destination(), files);
  ASSERT_TRUE(copier.CopyOneFile(*photo));
  EXPECT_EQ(copier.lastTarget, Below(u"A (3).JPG").u16string());
  EXPECT_EQ(ReadPath(Below(u"A (3).JPG")), Expected({{60, 1}}, 10));
}

TEST_F(FileCopierFailures, RelativeDestinationIsRefused) {
  File* photo = AddRecord(root, "REL     JPG", 10, {{60, 1}});
  FileCopier copier(*media, "relative");
  EXPECT_FALSE(copier.CopyOneFile(*photo));
  EXPECT_EQ(copier.lastError, 123u);
  EXPECT_FALSE(fs::exists("relative"));
}

using FileCopierFolders = CopyTest;

TEST_F(FileCopierFolders, MissingFoldersAreMadeFromTheTop) {
  File* a = AddFolder(root, "A");
  File* b = AddFolder(*a, "B");
  File* photo = AddRecord(*b, "DEEP    JPG", 10, {{60, 1}});
  FileCopier copier(*media, (destination_ / "new" / "below").string());
  ASSERT_TRUE(copier.CopyOneFile(*photo));
  EXPECT_EQ(ReadPath(destination_ / "new/below/A/B/DEEP.JPG"), Expected({{60, 1}}, 10));
}

TEST_F(FileCopierFolders, BlockingFileGivesTheFolderAFreeName) {
  WritePath(Below(u"DCIM"), "in the way");
  File* folder = AddFolder(root, "DCIM");
  File* first = AddRecord(*folder, "IMG     JPG", 10, {{60, 1}});
  File* second = AddRecord(*folder, "IMG2    JPG", 20, {{61, 1}});
  FaultyFileSystem files;
  FileCopier copier(*media, Destination(), files);
  uint32_t copied = 0;
  ASSERT_TRUE(copier.CopyFiles({first, second}, copied));
  EXPECT_EQ(ReadPath(Below(u"DCIM")), "in the way");
  EXPECT_EQ(ReadPath(Below(u"DCIM (2)/IMG.JPG")), Expected({{60, 1}}, 10));
  EXPECT_EQ(ReadPath(Below(u"DCIM (2)/IMG2.JPG")), Expected({{61, 1}}, 20));
  EXPECT_TRUE(files.deleted.empty());
}

TEST_F(FileCopierFolders, BlockingFileFailsWithReplacingOff) {
  WritePath(Below(u"DCIM"), "in the way");
  File* photo = AddRecord(*AddFolder(root, "DCIM"), "IMG     JPG", 10, {{60, 1}});
  FileCopier copier(*media, Destination());
  copier.replaceBlockingFiles = false;
  EXPECT_FALSE(copier.CopyOneFile(*photo));
  EXPECT_EQ(copier.lastError, 183u);
  EXPECT_EQ(ReadPath(Below(u"DCIM")), "in the way");
}

using FileCopierNames = CopyTest;

// What the user has in the destination stays byte for byte: a file of the
// same name, a read-only one, a folder where a file goes, a file where a
// folder goes; and a second copy of the same card keeps the first.
TEST_F(FileCopierNames, NothingThatWasThereIsReplaced) {
  fs::create_directories(Below(u"DCIM/100DEMO"));
  WritePath(Below(u"DCIM/100DEMO/IMG_0001.JPG"), "another camera");
  WritePath(Below(u"DCIM/100DEMO/IMG_0002.JPG"), "read-only");
  fs::permissions(Below(u"DCIM/100DEMO/IMG_0002.JPG"), fs::perms::owner_write | fs::perms::group_write |
                  fs::perms::others_write, fs::perm_options::remove);
  fs::create_directories(Below(u"DCIM/100DEMO/IMG_0003.JPG"));
  WritePath(Below(u"DCIM/100DEMO/IMG_0003.JPG/inside"), "in a folder");
  WritePath(Below(u"MISC"), "a plain file");
  File* camera = AddFolder(*AddFolder(root, "DCIM"), "100DEMO");
  File* misc = AddFolder(root, "MISC");
  const std::vector<const File*> records = {
      AddRecord(*camera, "IMG_0001JPG", 100, {{60, 1}}), AddRecord(*camera, "IMG_0002JPG", 200, {{61, 1}}),
      AddRecord(*camera, "IMG_0003JPG", 300, {{62, 1}}), AddRecord(*misc, "A       TXT", 400, {{63, 1}})};
  FaultyFileSystem files;
  for (int copy = 2; copy <= 3; ++copy) {
    uint32_t copied = 0;
    FileCopier copier(*media, Destination(), files);
    ASSERT_TRUE(copier.CopyFiles(records, copied)) << "copy " << copy;
    EXPECT_EQ(copied, 4u);
  }
  fs::permissions(Below(u"DCIM/100DEMO/IMG_0002.JPG"), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(ReadPath(Below(u"DCIM/100DEMO/IMG_0001.JPG")), "another camera");
  EXPECT_EQ(ReadPath(Below(u"DCIM/100DEMO/IMG_0002.JPG")), "read-only");
  EXPECT_EQ(ReadPath(Below(u"DCIM/100DEMO/IMG_0003.JPG/inside")), "in a folder");
  EXPECT_EQ(ReadPath(Below(u"MISC")), "a plain file");
  for (const char16_t* copy : {u" (2)", u" (3)"}) {
    const std::u16string number = copy;
    EXPECT_EQ(ReadPath(Below(u"DCIM/100DEMO/IMG_0001" + number + u".JPG")), Expected({{60, 1}}, 100));
    EXPECT_EQ(ReadPath(Below(u"DCIM/100DEMO/IMG_0002" + number + u".JPG")), Expected({{61, 1}}, 200));
    EXPECT_EQ(ReadPath(Below(u"DCIM/100DEMO/IMG_0003" + number + u".JPG")), Expected({{62, 1}}, 300));
  }
  // The folder that a plain file blocked got a free name once; the second
  // copy joined it.
  EXPECT_EQ(ReadPath(Below(u"MISC (2)/A.TXT")), Expected({{63, 1}}, 400));
  EXPECT_EQ(ReadPath(Below(u"MISC (2)/A (2).TXT")), Expected({{63, 1}}, 400));
  EXPECT_TRUE(files.deleted.empty());
}

TEST_F(FileCopierNames, SameTargetTwiceInOneCopyIsNumbered) {
  File* folder = AddFolder(root, "DCIM");
  File* first = AddRecord(*folder, "IMG_0001JPG", 100, {{60, 1}});
  File* second = AddRecord(*folder, "IMG_0001JPG", 200, {{70, 1}});
  File* third = AddRecord(*folder, "img_0001jpg", 300, {{80, 1}});
  File* plain = AddRecord(*folder, "README", 10, {{90, 1}});
  File* plainAgain = AddRecord(*folder, "README", 20, {{91, 1}});
  FileCopier copier(*media, Destination());
  uint32_t copied = 0;
  ASSERT_TRUE(copier.CopyFiles({first, second, third, plain, plainAgain}, copied));
  EXPECT_EQ(copied, 5u);
  EXPECT_EQ(ReadPath(Below(u"DCIM/IMG_0001.JPG")), Expected({{60, 1}}, 100));
  EXPECT_EQ(ReadPath(Below(u"DCIM/IMG_0001 (2).JPG")), Expected({{70, 1}}, 200));
  EXPECT_EQ(ReadPath(Below(u"DCIM/img_0001 (3).jpg")), Expected({{80, 1}}, 300));
  EXPECT_EQ(ReadPath(Below(u"DCIM/README (2)")), Expected({{91, 1}}, 20));
}

// A file and a folder that meet under one name: neither replaces the other,
// in either order (a copied file is never taken for a blocking file).
TEST_F(FileCopierNames, FileAndFolderOfOneNameBothStay) {
  File* fileFirst = AddRecord(root, "DCIM", 100, {{60, 1}});
  File* inFolder = AddRecord(*AddFolder(root, "DCIM"), "IMG     JPG", 200, {{70, 1}});
  File* inFolderFirst = AddRecord(*AddFolder(root, "MISC"), "A       TXT", 300, {{80, 1}});
  File* fileAfter = AddRecord(root, "MISC", 400, {{90, 1}});
  FileCopier copier(*media, Destination());
  uint32_t copied = 0;
  ASSERT_TRUE(copier.CopyFiles({fileFirst, inFolder, inFolderFirst, fileAfter}, copied));
  EXPECT_EQ(ReadPath(Below(u"DCIM")), Expected({{60, 1}}, 100));
  EXPECT_EQ(ReadPath(Below(u"DCIM (2)/IMG.JPG")), Expected({{70, 1}}, 200));
  EXPECT_EQ(ReadPath(Below(u"MISC/A.TXT")), Expected({{80, 1}}, 300));
  EXPECT_EQ(ReadPath(Below(u"MISC (2)")), Expected({{90, 1}}, 400));
}

// Every record below has a name that, taken as it stands, would lead out of
// the destination, onto a device or to a name Windows changes.
TEST_F(FileCopierNames, HostileNamesStayInsideTheDestination) {
  const std::vector<std::vector<std::u16string>> kinds = {
      {u"..", u".", u"../../up.jpg", u"..\\..\\up.jpg", u"/abs.jpg", u"C:\\abs.jpg", u"c:x.jpg"},  // ways out
      {u"CON", u"nul.txt", u"Com1.jpg", u"LPT9", u"aux .log", u"COM\u00B9"},                       // devices
      {u"trail.", u"trail ", u"", u"wild*?.jpg", u"quote\"<>|.jpg", u"lone\xD800.jpg"},            // changed by Windows
      {u"tab\tname", u"null\0byte"s, u"\u0001\u001F"}};                                            // control characters
  std::vector<std::u16string> hostile;
  for (const auto& kind : kinds) hostile.insert(hostile.end(), kind.begin(), kind.end());
  File* evilFolder = AddFolder(root, "EVIL", u"...");
  File* devices = AddFolder(*evilFolder, "CON", u"CON");
  std::vector<const File*> records;
  uint32_t sector = 100;
  for (const std::u16string& name : hostile) {
    records.push_back(AddRecord(*devices, "X", 1, {{sector++, 1}}, name));
    records.push_back(AddRecord(root, "X", 1, {{sector++, 1}}, name));
  }
  records.push_back(AddRecord(root, "..      ...", 1, {{sector++, 1}}));  // 8.3 names are as hostile
  records.push_back(AddRecord(root, "A/B     :\\.", 1, {{sector++, 1}}));
  FileCopier copier(*media, Destination());
  uint32_t copied = 0;
  EXPECT_TRUE(copier.CopyFiles(records, copied));
  EXPECT_EQ(copied, records.size());

  // Each file landed inside the destination, with its own data, at the path
  // the copier named.
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(destination_))
    if (entry.is_regular_file()) ++files;
  EXPECT_EQ(files, records.size());
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch_), fs::directory_iterator()), 1);  // nothing beside it
  EXPECT_TRUE(fs::is_directory(Below(u"___/CON_")));
  EXPECT_TRUE(fs::exists(Below(u"___/CON_/nul_.txt")));
  EXPECT_TRUE(fs::exists(Below(u"__ (2)")));  // ".." and two control characters meet
  EXPECT_TRUE(fs::exists(Below(u"aux_ .log")));
  EXPECT_TRUE(fs::exists(Below(u"COM\u00B9_")));
  EXPECT_TRUE(fs::exists(Below(u".._.._up.jpg")));
  EXPECT_TRUE(fs::exists(Below(u"trail_")));
  EXPECT_TRUE(fs::exists(Below(u"trail_ (2)")));  // "trail." and "trail " meet
  EXPECT_TRUE(fs::exists(Below(u"A_B.___")));
}

using FileCopierProgress = CopyTest;

TEST_F(FileCopierProgress, ReportsEachFileAndStopsAtTheFirstFailure) {
  medium->FailSector(71);
  const File* records[] = {AddRecord(root, "ONE", 100, {{60, 1}}), AddRecord(root, "TWO", 600, {{70, 2}}),
                           AddRecord(root, "THREE", 300, {{80, 1}})};
  FileCopier copier(*media, Destination());
  std::vector<std::pair<uint32_t, uint64_t>> reports;
  copier.progress = [&](const File&, const std::u16string& target, uint32_t error, uint64_t done) {
    EXPECT_EQ(target, copier.lastTarget);
    reports.emplace_back(error, done);
  };
  uint32_t copied = 0;
  EXPECT_FALSE(copier.CopyFiles({records[0], records[1], records[2]}, copied));
  EXPECT_EQ(copied, 1u);
  EXPECT_EQ(reports, (std::vector<std::pair<uint32_t, uint64_t>>{{0, 100}, {23, 100}}));
  EXPECT_FALSE(fs::exists(Below(u"THREE")));
  EXPECT_EQ(pump.calls, 2 + 1 + 2);  // before each file and each sector
}

TEST_F(FileCopierProgress, GoesOnPastUnreadableFilesOnRequest) {
  medium->FailSector(70);
  FaultyFileSystem full;
  full.writableBytes = 300;
  const File* records[] = {AddRecord(root, "ONE", 100, {{60, 1}}), AddRecord(root, "TWO", 600, {{70, 2}}),
                           AddRecord(root, "THREE", 300, {{80, 1}}), AddRecord(root, "FOUR", 400, {{90, 1}}),
                           AddRecord(root, "FIVE", 10, {{95, 1}})};
  FileCopier copier(*media, Destination(), full);
  copier.continueAfterUnreadable = true;
  std::vector<uint32_t> errors;
  copier.progress = [&](const File&, const std::u16string&, uint32_t error, uint64_t) { errors.push_back(error); };
  uint32_t copied = 0;
  EXPECT_FALSE(copier.CopyFiles({records[0], records[1], records[2], records[3], records[4]}, copied));
  EXPECT_EQ(copied, 2u);
  EXPECT_EQ(errors, (std::vector<uint32_t>{0, 23, 0, 112}));  // a full disk still ends the copy
  EXPECT_TRUE(fs::exists(Below(u"TWO")));
  EXPECT_FALSE(fs::exists(Below(u"FOUR")));
}

using FileCopierTimes = CopyTest;

namespace {

uint64_t LocalStamp(int year, int month, int day, int hour, int minute, int second) {
  CalendarTime time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  uint64_t stamp = 0;
  EXPECT_TRUE(CalendarToFileTime(time, stamp));
  return stamp;
}

std::string CalendarText(const CalendarTime& time) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day, time.hour,
                time.minute, time.second);
  return text;
}

std::string ModifiedText(const fs::path& path) {
  CalendarTime time;
  return LocalModifiedTime(path, time) ? CalendarText(time) : "unreadable";
}

}  // namespace

// The card keeps local time: a summer and a winter photo keep the hour the
// camera wrote, whatever the summer time of the day of the copy. Folders
// made for the copy get theirs once their files are in; a record without
// times keeps the time of the copy.
TEST_F(FileCopierTimes, CopiesKeepTheCardsLocalTimes) {
  UseZoneWithSummerTime();
  File* folder = AddFolder(root, "TRIP");
  folder->modified = LocalStamp(2023, 7, 1, 8, 30, 0);
  File* summer = AddRecord(*folder, "SUMMER  JPG", 100, {{60, 1}});
  summer->modified = LocalStamp(2023, 7, 14, 10, 0, 6);
  summer->accessed = LocalStamp(2023, 7, 15, 0, 0, 0);
  summer->created = LocalStamp(2023, 7, 14, 9, 59, 58);
  File* winter = AddRecord(*folder, "WINTER  JPG", 100, {{61, 1}});
  winter->modified = LocalStamp(2023, 1, 14, 10, 0, 6);
  File* carved = AddRecord(root, "REC00001JPG", 100, {{62, 1}});
  FileCopier copier(*media, Destination());
  uint32_t copied = 0;
  ASSERT_TRUE(copier.CopyFiles({summer, winter, carved}, copied));
  EXPECT_EQ(ModifiedText(Below(u"TRIP/SUMMER.JPG")), "2023-07-14 10:00:06");
  EXPECT_EQ(ModifiedText(Below(u"TRIP/WINTER.JPG")), "2023-01-14 10:00:06");
  EXPECT_EQ(ModifiedText(Below(u"TRIP")), "2023-07-01 08:30:00");
  CalendarTime now;
  ASSERT_TRUE(LocalModifiedTime(Below(u"REC00001.JPG"), now));
  EXPECT_GE(now.year, 2024);
}

// A destination folder of the user's keeps its own time; a file system that
// refuses times still gets the data.
TEST_F(FileCopierTimes, OnlyWhatTheCopyMadeIsDated) {
  fs::create_directory(Below(u"OLD"));
  File* folder = AddFolder(root, "OLD");
  folder->modified = LocalStamp(2020, 2, 2, 2, 2, 2);
  File* photo = AddRecord(*folder, "A       JPG", 100, {{60, 1}});
  photo->modified = LocalStamp(2020, 2, 2, 2, 2, 4);
  uint32_t copied = 0;
  ASSERT_TRUE(FileCopier(*media, Destination()).CopyFiles({photo}, copied));
  EXPECT_EQ(ModifiedText(Below(u"OLD/A.JPG")), "2020-02-02 02:02:04");
  EXPECT_NE(ModifiedText(Below(u"OLD")), "2020-02-02 02:02:02");

  FaultyFileSystem refusing;
  refusing.failTimes = true;
  File* other = AddRecord(*AddFolder(root, "NEW"), "B       JPG", 100, {{61, 1}});
  other->modified = photo->modified;
  ASSERT_TRUE(FileCopier(*media, Destination(), refusing).CopyFiles({other}, copied));
  EXPECT_EQ(ReadPath(Below(u"NEW/B.JPG")), Expected({{61, 1}}, 100));
}
