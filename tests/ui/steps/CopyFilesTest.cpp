// Step 4 on the real main window: a FAT card copied as the command line
// copies it, second copies and files in the way that lose nothing, hostile
// names that stay inside the destination, the sort orders, the preview of a
// photo, of a non-picture and of a damaged picture, a card that fails under
// a copy, and Back or close while a large preview is read from a slow card.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Context.h"
#include "CopyFiles.h"
#include "File.h"
#include "FileCopier.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "PicturePane.h"
#include "Recovery.h"
#include "RecoveryParms.h"
#include "RecoveryStatus.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "System.h"
#include "TestFiles.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

constexpr DWORD kRunLimitMs = 30000;
constexpr uint32_t kSectorBytes = 512;

// Every file below folder by its path under it, with its bytes.
void CollectTree(const std::string& folder, const std::string& below, std::map<std::string, std::string>& tree) {
  WIN32_FIND_DATAA found = {};
  HANDLE search = FindFirstFileA((folder + below + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = below + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      tree[path + "\\"] = "";
      CollectTree(folder, path, tree);
    } else {
      tree[path] = ReadWholeFile(folder + path);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// The shell's delete stops at names such as ".._.._evil.txt" under Wine.
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found = {};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(folder + "\\" + name);
      } else {
        DeleteFileA((folder + "\\" + name).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

std::map<std::string, std::string> TreeOf(const std::string& folder) {
  std::map<std::string, std::string> tree;
  CollectTree(folder, "", tree);
  return tree;
}

// In the list's order: depth first, folders not listed.
void CollectRecords(const File& folder, std::vector<const File*>& records) {
  for (const File* child = folder.firstChild; child != nullptr; child = child->next) {
    if (child->isVolumeLabel) continue;
    if (child->isDirectory) {
      CollectRecords(*child, records);
    } else {
      records.push_back(child);
    }
  }
}

class CopyFilesTest : public StepStage {
 protected:
  CopyFiles* Step() { return dynamic_cast<CopyFiles*>(Main().CurrentStep()); }
  HWND List() { return Control(CopyFiles::kFileList); }
  int Items() { return static_cast<int>(SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }
  std::string ItemText(int item, int column) {
    char text[300] = {};
    LVITEMA entry = {};
    entry.iSubItem = column;
    entry.pszText = text;
    entry.cchTextMax = sizeof text;
    SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&entry));
    return text;
  }
  File* ItemRecord(int item) {
    LVITEMA entry = {};
    entry.mask = LVIF_PARAM;
    entry.iItem = item;
    SendMessageA(List(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry));
    return reinterpret_cast<File*>(entry.lParam);
  }
  int ItemNamed(const std::string& name) {
    for (int item = 0; item < Items(); ++item)
      if (ItemText(item, 0) == name) return item;
    return -1;
  }
  bool Ticked(int item) {
    return (SendMessageA(List(), LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK) >> 12) == 2;
  }
  std::string Status() {
    char text[2000] = {};
    GetDlgItemTextA(StepWindow(), Dialog::kStatusLine, text, sizeof text);
    return IsWindowVisible(Control(Dialog::kStatusLine)) ? text : "";
  }
  void Select(int item) {
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(List(), LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  }
  void ClickColumn(int column) {
    NMLISTVIEW click = {};
    click.hdr.hwndFrom = List();
    click.hdr.idFrom = CopyFiles::kFileList;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageA(StepWindow(), WM_NOTIFY, CopyFiles::kFileList, reinterpret_cast<LPARAM>(&click));
  }
  // Ticks every file, types the folder and presses Copy, as a user does.
  std::string CopyAllInto(const std::string& folder) {
    Click(CopyFiles::kTickAll);
    SetDlgItemTextA(StepWindow(), CopyFiles::kDestination, folder.c_str());
    Click(CopyFiles::kCopy);
    EXPECT_TRUE(IsWindowEnabled(StepWindow()));
    EXPECT_FALSE(IsWindowVisible(Control(Dialog::kProgressBar)));
    return Status();
  }

  void OpenImage(const std::string& path) {
    delete TheContext().CurrentMedia;
    TheContext().CurrentMedia = new Media();
    ASSERT_TRUE(TheContext().CurrentMedia->OpenImage(path)) << path;
  }
  // Steps 2 and 3 as a user goes through them, to step 4.
  void RunToStep4() {
    SendMessageA(Main().Handle(), WM_COMMAND, 2002, 0);
    ASSERT_EQ(Main().StepNumber(), 2);
    Click(RecoveryParms::kNext);
    ASSERT_TRUE(PumpUntil([this] { return dynamic_cast<RecoveryStatus*>(Main().CurrentStep()) != nullptr; }, 3000));
    ASSERT_TRUE(PumpUntil(
        [this] {
          auto* step = dynamic_cast<RecoveryStatus*>(Main().CurrentStep());
          return step != nullptr && step->ShowsFinished();
        },
        kRunLimitMs));
    Click(RecoveryStatus::kNext);
    ASSERT_TRUE(PumpUntil([this] { return Step() != nullptr; }, 3000));
  }

  // A finished run over a card in memory whose records the test makes:
  // add them to Root(), then ShowStep4().
  std::shared_ptr<MemoryMedium> CardInMemory(const std::vector<uint8_t>& bytes) {
    auto medium = devices_.Add("memory-card.img", bytes);
    delete TheContext().CurrentMedia;
    TheContext().CurrentMedia = new Media(&devices_);
    EXPECT_TRUE(TheContext().CurrentMedia->OpenImage("memory-card.img"));
    delete TheContext().CurrentRecovery;
    TheContext().CurrentRecovery = new Recovery(*TheContext().CurrentMedia, nullptr);
    Recovery& run = *TheContext().CurrentRecovery;
    EXPECT_TRUE(run.start());
    run.startEvent.set();
    run.waitUntilFinished();
    while (run.root.firstChild != nullptr) delete run.root.firstChild;
    return medium;
  }
  File& Root() { return TheContext().CurrentRecovery->root; }
  static File& AddRecord(File& folder, const char* shortName, const std::u16string& longName, uint64_t size,
                         uint32_t firstSector) {
    File* record = new File(shortName);
    record->setLongName(longName);
    record->size = size;
    record->isComplete = true;
    const uint64_t sectors = (size + kSectorBytes - 1) / kSectorBytes;
    if (sectors > 0) record->addRun(firstSector, static_cast<uint32_t>(sectors));
    record->appendChild(folder);
    return *record;
  }
  static File& AddFolder(File& parent, const char* shortName, const std::u16string& longName) {
    File* folder = new File(shortName);
    folder->setLongName(longName);
    folder->isDirectory = true;
    folder->appendChild(parent);
    return *folder;
  }
  void ShowStep4() {
    SendMessageA(Main().Handle(), WM_COMMAND, 2004, 0);
    ASSERT_NE(Step(), nullptr);
  }

  MemoryDeviceOpener devices_;
};

// Sectors of a pattern that tells each sector apart.
std::vector<uint8_t> PatternCard(uint32_t sectors) {
  std::vector<uint8_t> bytes(static_cast<std::size_t>(sectors) * kSectorBytes);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i / kSectorBytes * 7 + i);
  return bytes;
}

}  // namespace

TEST_F(CopyFilesTest, AFatCardComesBackAsTheCommandLineBringsIt) {
  OpenImage(ProgramFolderFile("..\\samples\\fat32.img"));
  RunToStep4();
  EXPECT_EQ(Main().StepNumber(), 4);
  EXPECT_EQ(Items(), 15);
  EXPECT_EQ(ItemText(ItemNamed("IMG_0001.JPG"), 2), "Complete");
  EXPECT_FALSE(Ticked(0));
  SaveScreenshot(Main().Handle(), "step4-files.png");

  const std::string wizard = FreshFolder("step4-wizard");
  const std::string status = CopyAllInto(wizard);
  EXPECT_EQ(status, LoadText(kTextFilesCopiedTo, 15, wizard)) << status;
  for (int item = 0; item < Items(); ++item) EXPECT_FALSE(Ticked(item)) << "copied files are unticked";
  SaveScreenshot(Main().Handle(), "step4-copied.png");

  const std::string tool = FreshFolder("step4-tool");
  std::vector<const File*> records;
  CollectRecords(TheContext().CurrentRecovery->root, records);
  FileCopier copier(*TheContext().CurrentMedia, tool);
  uint32_t copied = 0;
  ASSERT_TRUE(copier.CopyFiles(records, copied));
  const auto expected = TreeOf(tool);
  EXPECT_EQ(expected.size(), 15u + 8u) << "15 files in 8 folders";
  EXPECT_TRUE(TreeOf(wizard) == expected);
  EXPECT_NE(expected.count("\\DCIM\\100CANON\\Holiday at the lake.jpg"), 0u);
  EXPECT_EQ(ReadWholeFile(wizard + "\\README.TXT"), "Vantrel test card.\r\n");
}

TEST_F(CopyFilesTest, ASecondCopyAndFilesInTheWayOverwriteNothing) {
  OpenImage(ProgramFolderFile("..\\samples\\fat32.img"));
  RunToStep4();
  const std::string folder = FreshFolder("step4-twice");
  WriteWholeFile(folder + "\\README.TXT", "my own readme");
  WriteWholeFile(folder + "\\DCIM", "a file where the card has a folder");

  std::string status = CopyAllInto(folder);
  EXPECT_EQ(status.rfind(LoadText(kTextFilesCopiedTo, 15, folder), 0), 0u) << status;
  // README.TXT and the 6 files below DCIM.
  EXPECT_NE(status.find(LoadText(kTextCopiesNumbered, 7u, "")), std::string::npos) << status;
  EXPECT_NE(status.find("\\DCIM (2)\\"), std::string::npos) << "the names used are shown: " << status;
  EXPECT_EQ(ReadWholeFile(folder + "\\README.TXT"), "my own readme");
  EXPECT_EQ(ReadWholeFile(folder + "\\README (2).TXT"), "Vantrel test card.\r\n");
  EXPECT_EQ(ReadWholeFile(folder + "\\DCIM"), "a file where the card has a folder");
  EXPECT_TRUE(FileExists(folder + "\\DCIM (2)\\100CANON\\IMG_0001.JPG"));
  const File* readme = ItemRecord(ItemNamed("README.TXT"));
  ASSERT_NE(readme, nullptr);
  EXPECT_NE(Step()->InfotipText(*readme, 200).find("README (2).TXT"), std::string::npos);

  const auto first = TreeOf(folder);
  status = CopyAllInto(folder);
  EXPECT_EQ(status.rfind(LoadText(kTextFilesCopiedTo, 15, folder), 0), 0u) << status;
  const auto second = TreeOf(folder);
  for (const auto& entry : first) {
    auto kept = second.find(entry.first);
    ASSERT_NE(kept, second.end()) << entry.first;
    EXPECT_TRUE(kept->second == entry.second) << entry.first << " changed";
  }
  EXPECT_EQ(ReadWholeFile(folder + "\\README (3).TXT"), "Vantrel test card.\r\n");
  EXPECT_EQ(second.size(), first.size() + 15) << "every file twice, no folder made twice";
  SaveScreenshot(Main().Handle(), "step4-numbered.png");
}

TEST_F(CopyFilesTest, HostileNamesChangeNothingOutsideTheDestination) {
  CardInMemory(PatternCard(64));
  File& up = AddFolder(Root(), "..", u"..");
  AddRecord(up, "EVIL    TXT", u"..\\..\\evil.txt", 600, 2);
  AddRecord(Root(), "CON", u"CON", 100, 4);
  AddRecord(Root(), "AB", u"a:b", 100, 5);
  AddRecord(Root(), "SLASH", u"c/d", 100, 6);
  ShowStep4();
  ASSERT_EQ(Items(), 4);

  RemoveTree(ProgramFolderFile("step4-hostile"));
  const std::string outside = FreshFolder("step4-hostile");
  const std::string inside = outside + "\\inside";
  ASSERT_TRUE(CreateDirectoryA(inside.c_str(), nullptr));
  const std::string status = CopyAllInto(inside);
  EXPECT_EQ(status, LoadText(kTextFilesCopiedTo, 4, inside));
  const auto everything = TreeOf(outside);
  for (const auto& entry : everything) EXPECT_EQ(entry.first.rfind("\\inside\\", 0), 0u) << entry.first;
  std::size_t files = 0;
  for (const auto& entry : everything) files += entry.first.back() != '\\';
  EXPECT_EQ(files, 4u);
}

TEST_F(CopyFilesTest, SizesSortByAllTheirBitsAndNamesAsTheListShowsThem) {
  CardInMemory(PatternCard(64));
  AddRecord(Root(), "BIG5    MOV", u"c five.mov", uint64_t{5} << 30, 2);
  AddRecord(Root(), "SMALL   JPG", u"A small.jpg", 100 * 1024, 2);
  AddRecord(Root(), "BIG3    MOV", u"b three.mov", uint64_t{3} << 30, 2);
  ShowStep4();
  const auto order = [this] {
    std::vector<std::string> names;
    for (int item = 0; item < Items(); ++item) names.push_back(ItemText(item, 0));
    return names;
  };
  const std::vector<std::string> bySize = {"A small.jpg", "b three.mov", "c five.mov"};
  ClickColumn(1);
  EXPECT_EQ(Step()->SortKey(), 2);
  EXPECT_EQ(order(), bySize);
  ClickColumn(1);
  EXPECT_EQ(Step()->SortKey(), -2);
  EXPECT_EQ(order(), std::vector<std::string>(bySize.rbegin(), bySize.rend()));
  ClickColumn(0);
  EXPECT_EQ(Step()->SortKey(), 1);
  EXPECT_EQ(order(), bySize) << "by the long names, not by SMALL, BIG3, BIG5";
  ClickColumn(0);
  EXPECT_EQ(order(), std::vector<std::string>(bySize.rbegin(), bySize.rend()));
}

TEST_F(CopyFilesTest, ThePreviewShowsThePhotoTheInformationOrWhyNot) {
  OpenImage(ProgramFolderFile("..\\samples\\fat32.img"));
  RunToStep4();
  const int photo = ItemNamed("Holiday at the lake.jpg");
  ASSERT_GE(photo, 0);
  Select(photo);
  ASSERT_NE(Step()->Frame().Picture(), nullptr);
  EXPECT_EQ(Step()->Frame().Picture()->Width(), 800);
  EXPECT_EQ(Step()->Frame().Picture()->Height(), 600);
  EXPECT_TRUE(IsWindowVisible(Control(CopyFiles::kPictureFrame)));
  EXPECT_FALSE(IsWindowVisible(Control(Dialog::kInformationText)));
  PumpFor(100);
  // The frame shows the photo's colours, not the grey of an empty frame.
  RECT frame = {};
  GetClientRect(Control(CopyFiles::kPictureFrame), &frame);
  WindowPixels pixels(Control(CopyFiles::kPictureFrame));
  EXPECT_LT(pixels.Count(frame, RGB(128, 128, 128)), (frame.right * frame.bottom) / 2);
  SaveScreenshot(Main().Handle(), "step4-preview.png");

  Select(ItemNamed("README.TXT"));
  EXPECT_EQ(Step()->Frame().Picture(), nullptr);
  EXPECT_FALSE(IsWindowVisible(Control(CopyFiles::kPictureFrame)));
  EXPECT_TRUE(IsWindowVisible(Control(Dialog::kInformationText)));

  // A picture by its name whose data is no picture.
  File* text = ItemRecord(ItemNamed("notes for the trip.txt"));
  ASSERT_NE(text, nullptr);
  text->isPicture = true;
  Select(ItemNamed("notes for the trip.txt"));
  EXPECT_EQ(Status(), LoadText(kTextPictureNotShown));
  EXPECT_FALSE(IsWindowVisible(Control(CopyFiles::kPictureFrame)));
  EXPECT_TRUE(IsWindowVisible(Control(Dialog::kInformationText)));
}

TEST_F(CopyFilesTest, AVideoShowsThePictureFileBesideItAndANameThatLoopsEndsIt) {
  const std::string video = ReadWholeFile(ProgramFolderFile("..\\samples\\pane-clip.avi"));
  const std::string thumbnail = ReadWholeFile(ProgramFolderFile("..\\samples\\MVI_0001.THM"));
  ASSERT_FALSE(video.empty());
  ASSERT_FALSE(thumbnail.empty());
  std::vector<uint8_t> bytes = PatternCard(128);
  std::copy(video.begin(), video.end(), bytes.begin() + 2 * kSectorBytes);
  std::copy(thumbnail.begin(), thumbnail.end(), bytes.begin() + 60 * kSectorBytes);
  CardInMemory(bytes);
  File& clip = AddRecord(Root(), "MVI_0001AVI", u"", video.size(), 2);
  clip.isPicture = true;
  AddRecord(Root(), "MVI_0001THM", u"", thumbnail.size(), 60);
  File& lone = AddRecord(Root(), "MVI_0002AVI", u"", video.size(), 2);  // names MVI_0001.THM too
  lone.isPicture = true;
  lone.stepText = "MVI_0002.AVI";  // a name that leads back to itself
  ShowStep4();

  Select(ItemNamed("MVI_0001.AVI"));
  ASSERT_NE(Step()->Frame().Picture(), nullptr);
  EXPECT_EQ(Step()->Frame().Picture()->Width(), 160);
  EXPECT_EQ(clip.stepText, "MVI_0001.THM");

  Select(ItemNamed("MVI_0002.AVI"));
  EXPECT_EQ(Step()->Frame().Picture(), nullptr);
  EXPECT_EQ(Status(), LoadText(kTextPictureNotShown));
}

TEST_F(CopyFilesTest, PicturesAreCentredAndShrunkWithTheirProportions) {
  const RECT small = PictureFrame::Placement(200, 100, 50, 20);
  EXPECT_EQ(small.left, 75);
  EXPECT_EQ(small.top, 40);
  EXPECT_EQ(small.right - small.left, 50);
  const RECT wide = PictureFrame::Placement(200, 100, 800, 200);
  EXPECT_EQ(wide.right - wide.left, 200);
  EXPECT_EQ(wide.bottom - wide.top, 50);
  EXPECT_EQ(wide.top, 25);
  const RECT tall = PictureFrame::Placement(200, 100, 300, 600);
  EXPECT_EQ(tall.bottom - tall.top, 100);
  EXPECT_EQ(tall.right - tall.left, 50);
  const RECT none = PictureFrame::Placement(200, 100, 0, 600);
  EXPECT_EQ(none.right, none.left);
}

TEST_F(CopyFilesTest, AnUnreadableSectorIsNamedAndNotCountedAsCopied) {
  auto medium = CardInMemory(PatternCard(64));
  AddRecord(Root(), "GOOD    JPG", u"good.jpg", 1024, 2);
  AddRecord(Root(), "BAD     JPG", u"bad.jpg", 2048, 10);
  AddRecord(Root(), "LAST    JPG", u"last.jpg", 512, 20);
  medium->FailSector(11);
  ShowStep4();
  const std::string folder = FreshFolder("step4-unreadable");
  const std::string status = CopyAllInto(folder);
  EXPECT_EQ(status.rfind(LoadText(kTextFilesCopiedTo, 2, folder), 0), 0u) << status;
  EXPECT_NE(status.find(LoadText(kTextOneCopyIncomplete, "\\bad.jpg.")), std::string::npos) << status;
  EXPECT_EQ(ReadWholeFile(folder + "\\bad.jpg").size(), 512u) << "what came before the bad sector stays";
  EXPECT_EQ(ReadWholeFile(folder + "\\last.jpg").size(), 512u) << "the files after it are copied";
}

TEST_F(CopyFilesTest, AFolderThatIsNoFolderOrOnTheCardIsRefused) {
  CardInMemory(PatternCard(64));
  AddRecord(Root(), "ONE     TXT", u"one.txt", 100, 2);
  ShowStep4();
  Click(CopyFiles::kTickAll);
  SetDlgItemTextA(StepWindow(), CopyFiles::kDestination, "Z:\\no\\such\\folder");
  Click(CopyFiles::kCopy);
  EXPECT_EQ(Status(), LoadText(kTextNoFolderChosen));
  EXPECT_EQ(GetFocus(), Control(CopyFiles::kDestination));
  EXPECT_TRUE(Ticked(0));

  // A relative folder is the one below the current folder.
  const std::string folder = FreshFolder("step4-relative");
  char current[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, current);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  ASSERT_TRUE(CreateDirectoryA("here", nullptr));
  SetDlgItemTextA(StepWindow(), CopyFiles::kDestination, "here");
  Click(CopyFiles::kCopy);
  SetCurrentDirectoryA(current);
  EXPECT_EQ(ReadWholeFile(folder + "\\here\\one.txt").size(), 100u) << Status();
}

TEST_F(CopyFilesTest, BackOrCloseDuringALargePreviewReadFromASlowCard) {
  auto medium = CardInMemory(PatternCard(24 * 1024));
  File& large = AddRecord(Root(), "LARGE   JPG", u"large.jpg", PictureFrame::kLargestPicture, 2);
  large.isPicture = true;
  ShowStep4();
  medium->latencyMicroseconds = 500;
  medium->bytesPerSecond = 20'000'000;
  medium->waitForModelledTime = true;
  HWND step = StepWindow();

  // Back while the preview reads: held off, the step and its records stay.
  PostMessageA(step, WM_COMMAND, MAKEWPARAM(CopyFiles::kBack, BN_CLICKED), 0);
  Select(0);
  EXPECT_TRUE(IsWindow(step));
  EXPECT_EQ(Main().StepNumber(), 4);
  ASSERT_NE(TheContext().CurrentRecovery, nullptr);
  EXPECT_EQ(Status(), LoadText(kTextPictureNotShown)) << "the pattern is no picture";

  // The main window's close waits for the read, then closes.
  PostMessageA(Main().Handle(), WM_CLOSE, 0, 0);
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED;
  state.state = 0;
  SendMessageA(List(), LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  Select(0);
  EXPECT_TRUE(Main().CloseRequested());
  PumpUntil([this] { return !IsWindow(Main().Handle()); }, 5000);
  EXPECT_FALSE(IsWindow(step));
}

TEST_F(CopyFilesTest, BackLeavesTheRunBehindAndShowsStep2) {
  CardInMemory(PatternCard(64));
  AddRecord(Root(), "ONE     TXT", u"one.txt", 100, 2);
  ShowStep4();
  Select(0);
  Click(CopyFiles::kBack);
  PumpUntil([this] { return Main().StepNumber() == 2; }, 2000);
  EXPECT_EQ(Main().StepNumber(), 2);
  EXPECT_EQ(TheContext().CurrentRecovery, nullptr);
  EXPECT_NE(dynamic_cast<RecoveryParms*>(Main().CurrentStep()), nullptr);
}

TEST_F(CopyFilesTest, TheFolderBrowserStartsAtTheFolderTypedAndRemembersTheChoice) {
  CardInMemory(PatternCard(64));
  AddRecord(Root(), "ONE     TXT", u"one.txt", 100, 2);
  ShowStep4();
  const std::string folder = FreshFolder("step4-browse");
  SetDlgItemTextA(StepWindow(), CopyFiles::kDestination, folder.c_str());
  const bool answered = AnswerDialogWhileItRuns(
      "Browse for Folder",
      [](HWND browser) {
        // The browser selects the starting folder once it has set itself up.
        PumpFor(500);
        PostMessageA(browser, WM_COMMAND, IDOK, 0);
      },
      [this] { Click(CopyFiles::kBrowse); }, 10000);
  ASSERT_TRUE(answered);
  char shown[MAX_PATH] = {};
  GetDlgItemTextA(StepWindow(), CopyFiles::kDestination, shown, MAX_PATH);
  EXPECT_EQ(lstrcmpiA(shown, folder.c_str()), 0) << shown;
  std::string remembered;
  EXPECT_TRUE(ReadRawText(HKEY_CURRENT_USER, kUserKey, "LastDir", remembered));
  EXPECT_EQ(lstrcmpiA(remembered.c_str(), folder.c_str()), 0) << remembered;
}

TEST_F(CopyFilesTest, WithoutNewFolderNamesAFileInTheWayStopsTheCopyWithItsReason) {
  CardInMemory(PatternCard(64));
  AddRecord(Root(), "FIRST   TXT", u"first.txt", 100, 2);
  File& folder = AddFolder(Root(), "PHOTOS", u"Photos");
  AddRecord(folder, "ONE     JPG", u"one.jpg", 100, 3);
  AddRecord(Root(), "LAST    TXT", u"last.txt", 100, 4);
  ShowStep4();
  Step()->RunMenuCommand(CopyFiles::kReplaceBlockingItem, nullptr);
  EXPECT_FALSE(Step()->ReplaceBlockingFiles());
  const std::string destination = FreshFolder("step4-blocked");
  WriteWholeFile(destination + "\\Photos", "mine");

  const std::string status = CopyAllInto(destination);
  EXPECT_EQ(status, LoadText(kTextCopyStoppedAfterOne, "\\Photos\\one.jpg",
                             SystemMessageText(FileCopier::kErrorAlreadyExists)));
  EXPECT_EQ(ReadWholeFile(destination + "\\Photos"), "mine");
  EXPECT_FALSE(Ticked(0)) << "copied";
  EXPECT_TRUE(Ticked(1)) << "the one that failed stays ticked";
  EXPECT_TRUE(Ticked(2)) << "and the rest, for the next Copy";
  EXPECT_FALSE(FileExists(destination + "\\last.txt"));
}
