// Step 1 on the real main window, driven as a user drives it: the list the
// enumeration fills, Next only for a row that names a source, the image file
// through the open dialog, a refresh burst during an enumeration, and what
// the step looks like.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "Context.h"
#include "Media.h"
#include "SelDevice.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

constexpr int kList = SelDevice::kDeviceList;
constexpr int kNext = SelDevice::kNext;
constexpr int kRefresh = SelDevice::kRefresh;

class SelDeviceTest : public StepStage {
 protected:
  SelDevice& Step() { return *static_cast<SelDevice*>(Main().CurrentStep()); }
  bool ListDone() {
    return PumpUntil([this] { return Main().CurrentStep() == nullptr || !Step().Enumerating(); }, 10000);
  }
  bool NextEnabled() { return IsWindowEnabled(Control(kNext)) != FALSE; }
  int ImageRow() { return RowCount() - 1; }
  std::string StatusText() {
    char text[300] = {};
    GetDlgItemTextA(StepWindow(), 1004, text, sizeof text);
    return text;
  }
  // An image file of sectors, in a folder of its own.
  std::string MakeImage(const char* name) {
    const std::string path = FreshFolder("steps-images") + "\\" + name;
    std::ofstream(path, std::ios::binary) << std::string(64 * 1024, '\0');
    return path;
  }
  // Presses Next on the image row and answers the open dialog with path
  // (empty: cancels it); false when no open dialog came.
  bool ChooseImage(const std::string& path) {
    SelectRow(ImageRow());
    return AnswerDialogWhileItRuns(
        "Open",
        [&path](HWND dialog) {
          if (path.empty()) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
          }
          SetDlgItemTextA(dialog, kFileNameBox, path.c_str());
          SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        },
        [this] { Click(kNext); }, 8000);
  }
};

}  // namespace

TEST_F(SelDeviceTest, NextOnlyForARowThatNamesASource) {
  ASSERT_NE(StepWindow(), nullptr);
  EXPECT_FALSE(NextEnabled());
  ASSERT_TRUE(ListDone());
  ASSERT_GE(RowCount(), 2);
  EXPECT_EQ(RowText(ImageRow()), LoadText(kTextImageFileRow));
  EXPECT_TRUE(IsWindowEnabled(Control(kRefresh)));
  // Without a card: the row that says so, then the image row.
  if (RowText(0) == LoadText(kTextNoDevices)) {
    EXPECT_EQ(RowCount(), 2);
    SelectRow(0);
    EXPECT_FALSE(NextEnabled());
    Click(kNext);
    EXPECT_EQ(Main().StepNumber(), 1);
  }
  SelectRow(ImageRow());
  EXPECT_TRUE(NextEnabled());

  SendMessageA(Control(kList), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Click(kNext);
  EXPECT_EQ(StatusText(), LoadText(kTextNoDeviceChosen));
  EXPECT_EQ(TheContext().CurrentMedia, nullptr);
}

TEST_F(SelDeviceTest, AnImageFileChosenInTheOpenDialogLeadsToStep2) {
  ASSERT_TRUE(ListDone());
  const std::string image = MakeImage("card.IMG");
  ASSERT_TRUE(ChooseImage(image));
  PumpUntil([this] { return Main().StepNumber() == 2; }, 3000);
  EXPECT_EQ(Main().StepNumber(), 2);
  ASSERT_NE(TheContext().CurrentMedia, nullptr);
  EXPECT_NE(TheContext().CurrentMedia->buffer, nullptr);
  EXPECT_EQ(TheContext().CurrentMedia->sectorCount, 128u);
  std::string stored;
  ASSERT_TRUE(ReadRawText(HKEY_CURRENT_USER, kUserKey, "ImageFilename", stored));
  EXPECT_EQ(_stricmp(stored.c_str(), image.c_str()), 0) << stored;
}

TEST_F(SelDeviceTest, CancellingTheOpenDialogStaysOnStep1WithNothingChosen) {
  ASSERT_TRUE(ListDone());
  ASSERT_TRUE(ChooseImage(std::string()));
  PumpFor(100);
  EXPECT_EQ(Main().StepNumber(), 1);
  EXPECT_EQ(SendMessageA(Control(kList), LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_FALSE(NextEnabled());
}

TEST_F(SelDeviceTest, AnImageFileThatCannotBeOpenedIsSaidSo) {
  ASSERT_TRUE(ListDone());
  const std::string image = MakeImage("locked.IMG");
  // Held open without sharing, as another program may hold it.
  HANDLE held = CreateFileA(image.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(ChooseImage(image));
  CloseHandle(held);
  PumpFor(100);
  EXPECT_EQ(Main().StepNumber(), 1);
  EXPECT_EQ(StatusText(), LoadText(kTextImageFileNotOpened));
  EXPECT_FALSE(NextEnabled());
  EXPECT_EQ(SendMessageA(Control(kList), LB_GETCURSEL, 0, 0), LB_ERR);
}

// Device changes and clicks while the first list is being made: the window
// keeps answering, and the end is one complete list, made once more.
TEST_F(SelDeviceTest, ARefreshBurstDuringTheFirstListLeavesOneCurrentList) {
  ASSERT_TRUE(Step().Enumerating());
  std::atomic<bool> stop{false};
  std::atomic<int> slow{0}, answered{0};
  HWND main = Main().Handle();
  std::thread prober([&] {
    while (!stop) {
      DWORD_PTR result = 0;
      if (SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) == 0)
        ++slow;
      else
        ++answered;
      Sleep(10);
    }
  });
  for (int i = 0; i < 20; ++i) {
    PostMessageA(main, WM_DEVICECHANGE, 0x8000, 0);  // DBT_DEVICEARRIVAL
    PostMessageA(StepWindow(), WM_COMMAND, MAKEWPARAM(kRefresh, BN_CLICKED), 0);
  }
  EXPECT_TRUE(ListDone());
  PumpFor(300);
  EXPECT_TRUE(ListDone());
  stop = true;
  prober.join();
  EXPECT_EQ(slow.load(), 0);
  EXPECT_GT(answered.load(), 0);
  EXPECT_GE(Step().EnumerationsStarted(), 2);
  EXPECT_LE(Step().EnumerationsStarted(), 3);
  EXPECT_EQ(RowText(ImageRow()), LoadText(kTextImageFileRow));
  for (int row = 0; row + 1 < RowCount(); ++row) EXPECT_NE(RowText(row), LoadText(kTextLookingForDevices));
  EXPECT_TRUE(IsWindowEnabled(Control(kRefresh)));
}

TEST_F(SelDeviceTest, Screenshot) {
  ASSERT_TRUE(ListDone());
  SelectRow(ImageRow());
  PumpFor(300);
  SaveScreenshot(Main().Handle(), "step1-devices.png");
}

// The demo card on a loop device, mapped by scripts/wine-loop-card.sh as a
// removable drive of Wine with the raw device behind it.
TEST_F(SelDeviceTest, ACardInACardReaderIsListedAndOpens) {
  std::string drive;
  if (!(std::ifstream(ProgramFolderFile("loop-card.txt")) >> drive)) {
    std::string why = "scripts/wine-loop-card.sh did not run";
    std::getline(std::ifstream(ProgramFolderFile("loop-card-unavailable.txt")), why);
    GTEST_SKIP() << "No card in a card reader: " << why;
  }
  ASSERT_TRUE(ListDone());
  int cardRow = -1;
  for (int row = 0; row + 1 < RowCount(); ++row) {
    if (RowText(row).find(drive) != std::string::npos) cardRow = row;
  }
  ASSERT_GE(cardRow, 0) << "no row for " << drive;
  EXPECT_NE(RowText(cardRow).find("DEMO-CARD"), std::string::npos) << RowText(cardRow);
  SelectRow(cardRow);
  EXPECT_TRUE(NextEnabled());
  PumpFor(300);
  SaveScreenshot(Main().Handle(), "step1-card.png");

  Click(kNext);
  PumpUntil([this] { return Main().StepNumber() == 2; }, 5000);
  ASSERT_EQ(Main().StepNumber(), 2) << StatusText();
  Media& card = *TheContext().CurrentMedia;
  EXPECT_EQ(card.sectorCount, 64u * 1024 * 1024 / 512);
  ASSERT_TRUE(card.ReadSectors(0, 1));
  EXPECT_EQ(card.buffer[510], 0x55);
  EXPECT_EQ(card.buffer[511], 0xAA);
}

// Rows the enumeration makes for sources that are gone by the time Next is
// pressed: each failure names its source in its own words.
TEST_F(SelDeviceTest, ASourceThatCannotBeOpenedIsNamedAsWhatItIs) {
  ASSERT_TRUE(ListDone());
  HWND list = Control(kList);
  const auto addRow = [list](const char* text, int32_t item) {
    const LRESULT row = SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(row), static_cast<LPARAM>(item));
  };
  addRow(" PhysicalDrive9\tGeneric USB Disk", SelDevice::kPhysicalDiskRow);
  SelectRow(0);
  ASSERT_TRUE(NextEnabled());
  Click(kNext);
  EXPECT_EQ(StatusText(), LoadText(kTextDiskNotOpened, "PhysicalDrive9"));
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
  EXPECT_FALSE(NextEnabled());

  addRow(" Q:\\\tCARD\tGeneric SD Reader", 'Q');
  SelectRow(0);
  Click(kNext);
  EXPECT_EQ(StatusText(), LoadText(kTextDriveNotOpened, 'Q'));
  EXPECT_EQ(Main().StepNumber(), 1);
  ASSERT_NE(TheContext().CurrentMedia, nullptr);
  EXPECT_EQ(TheContext().CurrentMedia->buffer, nullptr);
}

// Going back to step 1 while the list is still being made: the old step
// goes at once, and the new one makes its own complete list.
TEST_F(SelDeviceTest, AStepClosedDuringItsListGoesAtOnce) {
  ASSERT_TRUE(Step().Enumerating());
  HWND old = StepWindow();
  const DWORD before = GetTickCount();
  SendMessageA(Main().Handle(), WM_COMMAND, 2001, 0);
  EXPECT_LT(GetTickCount() - before, 100u);
  EXPECT_FALSE(IsWindow(old));
  ASSERT_TRUE(ListDone());
  EXPECT_EQ(RowText(ImageRow()), LoadText(kTextImageFileRow));
  EXPECT_NE(RowText(0), LoadText(kTextLookingForDevices));
}

// A worker made for the old source reads it: choosing a new source ends it
// before the old source closes.
TEST_F(SelDeviceTest, ANewSourceEndsTheWorkerOfTheOldOne) {
  OpenImageAsSource("old.img", 64);
  SendMessageA(Main().Handle(), WM_COMMAND, 2002, 0);
  Click(1005);  // step 2's Next: a worker, waiting for step 3
  ASSERT_NE(TheContext().CurrentRecovery, nullptr);
  PumpUntil([this] { return Main().StepNumber() == 3; }, 2000);
  SendMessageA(Main().Handle(), WM_COMMAND, 2001, 0);
  ASSERT_TRUE(ListDone());
  ASSERT_TRUE(ChooseImage(MakeImage("new.IMG")));
  EXPECT_EQ(TheContext().CurrentRecovery, nullptr);
  ASSERT_NE(TheContext().CurrentMedia, nullptr);
  EXPECT_EQ(TheContext().CurrentMedia->sectorCount, 128u);
}
