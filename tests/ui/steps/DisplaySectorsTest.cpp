// The sector viewer over an image file opened as the current source, driven
// from inside its modal loop as a user drives it: the rows, the clipboard
// text by button and by Ctrl+C, typed numbers at and past the last sector,
// the page keys and the scroll bar at the ends, a read that fails, and what
// the viewer looks like.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Context.h"
#include "DisplaySectors.h"
#include "Media.h"
#include "SectorDump.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

constexpr uint32_t kSectors = 8192;  // 4 MB: more than the read-ahead keeps
constexpr const char kTitle[] = "Sectors of the card";
using Action = std::function<void(HWND)>;

// Sector n begins with its number in text, then counts its bytes.
std::vector<uint8_t> SectorBytes(uint32_t sector) {
  std::vector<uint8_t> bytes(512);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + sector);
  const std::string label = "SECTOR " + std::to_string(sector);
  std::copy(label.begin(), label.end(), bytes.begin());
  return bytes;
}

// The actions of a script run one per timer tick inside the viewer's modal
// loop, so that what one posts has been handled when the next one runs;
// the viewer is closed after the last.
struct Script {
  std::vector<Action> actions;
  std::size_t next = 0;
  HWND dialog = nullptr;
  bool running = false;
};
Script* script = nullptr;

void CALLBACK NextAction(HWND, UINT, UINT_PTR timer, DWORD) {
  if (script == nullptr || script->running) return;
  if (script->next >= script->actions.size()) {
    KillTimer(nullptr, timer);
    PostMessageA(script->dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  script->running = true;
  script->actions[script->next++](script->dialog);
  script->running = false;
}

std::string ClipboardText() {
  std::string text;
  if (!OpenClipboard(nullptr)) return text;
  HANDLE data = GetClipboardData(CF_TEXT);
  const char* bytes = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
  if (bytes != nullptr) {
    text = bytes;
    GlobalUnlock(data);
  }
  CloseClipboard();
  return text;
}

void EmptyTheClipboard() {
  if (!OpenClipboard(nullptr)) return;
  EmptyClipboard();
  CloseClipboard();
}

class DisplaySectorsTest : public StepStage {
 protected:
  void SetUp() override {
    StepStage::SetUp();
    image_ = FreshFolder("viewer-images") + "\\card.img";
    HANDLE file = CreateFileA(image_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    for (uint32_t sector = 0; sector < kSectors; ++sector) {
      const std::vector<uint8_t> bytes = SectorBytes(sector);
      DWORD written = 0;
      ASSERT_TRUE(WriteFile(file, bytes.data(), 512, &written, nullptr) && written == 512);
    }
    CloseHandle(file);
    TheContext().CurrentMedia = new Media;
    ASSERT_TRUE(TheContext().CurrentMedia->OpenImage(image_));
    ASSERT_EQ(TheContext().CurrentMedia->sectorCount, kSectors);
    viewer_ = std::make_unique<DisplaySectors>(StepWindow());
  }
  void TearDown() override {
    viewer_.reset();
    StepStage::TearDown();
  }

  // Shows the viewer at start and runs the actions in it; false when it
  // did not come or did not close.
  bool Run(uint32_t start, std::vector<Action> actions) {
    Script state;
    state.actions = std::move(actions);
    script = &state;
    UINT_PTR timer = 0;
    INT_PTR code = -2;
    const bool came = AnswerDialogWhileItRuns(
        kTitle,
        [&](HWND dialog) {
          state.dialog = dialog;
          timer = SetTimer(nullptr, 0, 60, NextAction);
        },
        [&] { code = viewer_->Show(start); }, 8000);
    if (timer != 0) KillTimer(nullptr, timer);
    script = nullptr;
    return came && code == 0 && state.next == state.actions.size();
  }

  static std::string Text(HWND dialog, int id) {
    char text[300] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
  }
  static int Rows(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, DisplaySectors::kRowList, LB_GETCOUNT, 0, 0));
  }
  static bool ErrorShown(HWND dialog) {
    return IsWindowVisible(GetDlgItem(dialog, DisplaySectors::kErrorLine)) != FALSE;
  }
  static void Type(HWND dialog, const char* text) {
    SetDlgItemTextA(dialog, DisplaySectors::kSectorNumber, text);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DisplaySectors::kSectorNumber, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, DisplaySectors::kSectorNumber)));
  }
  static void PostKey(HWND dialog, WPARAM key) {
    PostMessageA(GetDlgItem(dialog, DisplaySectors::kRowList), WM_KEYDOWN, key, 1);
  }
  static void Scroll(HWND dialog, int request) {
    SendMessageA(dialog, WM_VSCROLL, static_cast<WPARAM>(request),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, DisplaySectors::kScrollBar)));
  }
  // The viewer is on sector, with its rows and its number.
  void ExpectOn(HWND dialog, uint32_t sector) {
    EXPECT_EQ(viewer_->CurrentSector(), sector);
    EXPECT_EQ(Text(dialog, DisplaySectors::kSectorNumber), std::to_string(sector));
    EXPECT_EQ(viewer_->ShownBytes(), SectorBytes(sector));
    EXPECT_EQ(Rows(dialog), 32);
  }
  // The header and the 32 lines of sector's bytes, each ended by CR LF.
  static void ExpectCopyOf(const std::string& text, uint32_t sector) {
    const std::size_t header = text.find("\r\n");
    ASSERT_NE(header, std::string::npos) << text;
    EXPECT_NE(text.find("Vantrel"), std::string::npos);
    const std::vector<uint8_t> bytes = SectorBytes(sector);
    EXPECT_EQ(text.substr(header + 2), DumpText(std::string(), bytes.data(), bytes.size()));
    ASSERT_EQ(text.size(), header + 2 + 32 * 61);
    for (std::size_t line = 0; line < 32; ++line)
      EXPECT_EQ(text.substr(header + 2 + line * 61 + 59, 2), "\r\n") << line;
  }

  std::string image_;
  std::unique_ptr<DisplaySectors> viewer_;
};

}  // namespace

TEST_F(DisplaySectorsTest, ShowsTheRowsOfTheStartSector) {
  EXPECT_TRUE(Run(1, {[this](HWND dialog) {
                        ExpectOn(dialog, 1);
                        EXPECT_EQ(SendDlgItemMessageA(dialog, DisplaySectors::kRowList, LB_GETITEMDATA, 31, 0), 0x1F0);
                        EXPECT_FALSE(ErrorShown(dialog));
                      },
                      [](HWND dialog) {
                        UpdateWindow(dialog);
                        SaveScreenshot(dialog, "sector-viewer.png");
                      }}));
}

TEST_F(DisplaySectorsTest, CopyButtonAndCtrlCPutTheShownSectorOnTheClipboard) {
  EmptyTheClipboard();
  EXPECT_TRUE(Run(5, {[](HWND dialog) {
                        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DisplaySectors::kCopy, BN_CLICKED), 0);
                        ExpectCopyOf(ClipboardText(), 5);
                        EmptyTheClipboard();
                        SetFocus(GetDlgItem(dialog, DisplaySectors::kSectorNumber));
                        PostMessageA(GetDlgItem(dialog, DisplaySectors::kSectorNumber), WM_CHAR, 3, 1);
                      },
                      [this](HWND dialog) {
                        ExpectCopyOf(ClipboardText(), 5);
                        ExpectOn(dialog, 5);
                      }}));
}

// A sector size changed after the read neither widens the rows nor makes
// the copy read past the sector that was read.
TEST_F(DisplaySectorsTest, ASectorSizeChangedSinceKeepsRowsAndCopyToTheReadSector) {
  EXPECT_TRUE(Run(3, {[this](HWND dialog) {
    TheContext().CurrentMedia->SetSectorSize(4096);
    InvalidateRect(GetDlgItem(dialog, DisplaySectors::kRowList), nullptr, TRUE);
    UpdateWindow(dialog);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DisplaySectors::kCopy, BN_CLICKED), 0);
    ExpectCopyOf(ClipboardText(), 3);
    EXPECT_EQ(Rows(dialog), 32);
  }}));
}

TEST_F(DisplaySectorsTest, TypedNumbersUpToTheLastSectorOnly) {
  const std::string tooLarge = LoadText(kTextSectorNumberTooLarge, uint64_t{kSectors});
  HWND box = nullptr;
  const auto expectRejected = [&](HWND dialog, const char* typed) {
    Type(dialog, typed);
    EXPECT_TRUE(ErrorShown(dialog)) << typed;
    EXPECT_EQ(Text(dialog, DisplaySectors::kErrorLine), tooLarge) << typed;
    DWORD from = 1, to = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u) << typed;
    EXPECT_EQ(to, std::string(typed).size()) << typed;
    EXPECT_EQ(GetFocus(), box) << typed;
    EXPECT_EQ(viewer_->CurrentSector(), kSectors - 1) << typed;
    EXPECT_EQ(viewer_->ShownBytes(), SectorBytes(kSectors - 1)) << typed;
  };
  EXPECT_TRUE(Run(0, {[&](HWND dialog) {
                        box = GetDlgItem(dialog, DisplaySectors::kSectorNumber);
                        Type(dialog, "8191");
                        ExpectOn(dialog, kSectors - 1);
                        EXPECT_FALSE(ErrorShown(dialog));
                        expectRejected(dialog, "8192");
                        expectRejected(dialog, "3000000000");
                        expectRejected(dialog, "4294967295");
                        expectRejected(dialog, "abc");
                        Type(dialog, "12");
                        ExpectOn(dialog, 12);
                        EXPECT_FALSE(ErrorShown(dialog));
                      },
                      // Enter in the number box goes to the number and
                      // leaves the viewer open.
                      [&](HWND dialog) {
                        SetFocus(box);
                        SetDlgItemTextA(dialog, DisplaySectors::kSectorNumber, "40");
                        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
                        EXPECT_TRUE(IsWindow(dialog));
                        ExpectOn(dialog, 40);
                      }}));
}

// Page Down and the scroll bar's down arrow go to the next sector, Page Up
// and the up arrow to the previous one; both stop at the ends.
TEST_F(DisplaySectorsTest, PageKeysAndTheScrollBarStopAtTheEnds) {
  EXPECT_TRUE(Run(kSectors - 2, {[](HWND dialog) { PostKey(dialog, VK_NEXT); },
                                 [this](HWND dialog) {
                                   ExpectOn(dialog, kSectors - 1);
                                   PostKey(dialog, VK_NEXT);
                                 },
                                 [this](HWND dialog) {
                                   ExpectOn(dialog, kSectors - 1);
                                   Scroll(dialog, SB_LINEDOWN);
                                   ExpectOn(dialog, kSectors - 1);
                                   Type(dialog, "1");
                                   PostKey(dialog, VK_PRIOR);
                                 },
                                 [this](HWND dialog) {
                                   ExpectOn(dialog, 0);
                                   PostKey(dialog, VK_PRIOR);
                                 },
                                 [this](HWND dialog) {
                                   ExpectOn(dialog, 0);
                                   Scroll(dialog, SB_LINEUP);
                                   ExpectOn(dialog, 0);
                                   Scroll(dialog, SB_LINEDOWN);
                                   ExpectOn(dialog, 1);
                                 }}));
}

// The image loses its end while the viewer is open: the sector past it is
// not read, and the number, the rows and the copy stay those of the last
// sector that was.
TEST_F(DisplaySectorsTest, AFailedReadKeepsTheOldSectorAndSaysWhy) {
  EXPECT_TRUE(Run(2, {[this](HWND dialog) {
    HANDLE file = CreateFileA(image_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end = {};
    end.QuadPart = 16 * 512;
    EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    Type(dialog, "6000");
    ExpectOn(dialog, 2);
    EXPECT_TRUE(ErrorShown(dialog));
    EXPECT_EQ(Text(dialog, DisplaySectors::kErrorLine),
              SystemMessageText(TheContext().CurrentMedia->lastError));
    EXPECT_FALSE(Text(dialog, DisplaySectors::kErrorLine).empty());
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(DisplaySectors::kCopy, BN_CLICKED), 0);
    ExpectCopyOf(ClipboardText(), 2);
  }}));
}
