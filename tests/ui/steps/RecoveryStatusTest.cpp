// Step 3 on the real main window: runs that end with Next and their summary,
// the progress on a large sparse card, Back during a run, the list on the
// clipboard, and closing the program in the middle of a run.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Context.h"
#include "ListBoxLines.h"
#include "Media.h"
#include "Recovery.h"
#include "RecoveryParms.h"
#include "RecoveryStatus.h"
#include "SelDevice.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

constexpr uint64_t kLargeCard = uint64_t{32} << 30;  // 32 GiB
constexpr DWORD kRunLimitMs = 30000;

// A sparse image: nothing but zeros, except a MiB of data just before its
// end, which is where the search for the end of the data stops at once.
std::string LargeSparseImage() {
  static std::string made;
  if (!made.empty()) return made;
  const std::string path = FreshFolder("step3-large") + "\\large.img";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::string();
  DWORD returned = 0;
  DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(kLargeCard - (2u << 20));
  std::vector<char> data(1u << 20, 'd');
  DWORD written = 0;
  bool good = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
              WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
  at.QuadPart = static_cast<LONGLONG>(kLargeCard);
  good = good && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  if (good) made = path;
  return made;
}

class RecoveryStatusTest : public StepStage {
 protected:
  RecoveryStatus* Step() { return dynamic_cast<RecoveryStatus*>(Main().CurrentStep()); }
  HWND List() { return Control(RecoveryStatus::kStatusList); }
  std::vector<std::string> Lines() { return ListBoxLines(List(), 1u << 24); }
  int Bar() { return static_cast<int>(SendMessageA(Control(200), PBM_GETPOS, 0, 0)); }

  void OpenSource(const std::string& path) {
    delete TheContext().CurrentMedia;
    TheContext().CurrentMedia = new Media();
    ASSERT_TRUE(TheContext().CurrentMedia->OpenImage(path)) << path;
  }
  // Step 2, then its Next: the new run's step.
  void StartRun() {
    SendMessageA(Main().Handle(), WM_COMMAND, 2002, 0);
    ASSERT_EQ(Main().StepNumber(), 2);
    NextOnStep2();
  }
  void NextOnStep2() {
    Click(RecoveryParms::kNext);
    PumpUntil([this] { return Step() != nullptr; }, 3000);
    ASSERT_EQ(Main().StepNumber(), 3);
    ASSERT_NE(Step(), nullptr);
  }
  bool RunEnds() {
    return PumpUntil([this] { return Step() != nullptr && Step()->ShowsFinished(); }, kRunLimitMs);
  }
  // Whether a line begins with the words of a message before its first value.
  bool Logged(const std::string& start) {
    for (const std::string& line : Lines())
      if (line.rfind(start, 0) == 0) return true;
    return false;
  }
  void ExpectFinishedWithSummary() {
    ASSERT_TRUE(RunEnds());
    EXPECT_TRUE(IsWindowEnabled(Control(RecoveryStatus::kNext)));
    EXPECT_TRUE(Logged("Searching ")) << "line 506";
    EXPECT_TRUE(Logged("Found ")) << "line 509";
    EXPECT_EQ(Bar(), 100);
    EXPECT_EQ(Main().BusyCount(), 0);
  }
  // The clipboard's text, split after each CRLF; a last piece without one
  // stays as it is.
  static std::vector<std::string> ClipboardPieces() {
    std::vector<std::string> pieces;
    if (!OpenClipboard(nullptr)) return pieces;
    HANDLE data = GetClipboardData(CF_TEXT);
    const char* text = data != nullptr ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    std::string all = text != nullptr ? text : "";
    if (text != nullptr) GlobalUnlock(data);
    CloseClipboard();
    for (std::size_t start = 0; start < all.size();) {
      std::size_t end = all.find("\r\n", start);
      end = end == std::string::npos ? all.size() : end + 2;
      pieces.push_back(all.substr(start, end - start));
      start = end;
    }
    return pieces;
  }
  // Right-click on the list and the menu's item, by keyboard, as a user
  // picks it: the keys wait in the queue for the menu's own loop.
  void CopyThroughTheMenu() {
    PostMessageA(List(), WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(List(), WM_KEYDOWN, VK_RETURN, 0);
    RECT box = {};
    GetWindowRect(List(), &box);
    SendMessageA(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(box.left + 20, box.top + 20));
  }
  void ExpectClipboardHolds(const std::vector<std::string>& lines) {
    const std::vector<std::string> pieces = ClipboardPieces();
    ASSERT_EQ(pieces.size(), lines.size() + 1);
    EXPECT_NE(pieces[0].find("  Vantrel "), std::string::npos) << pieces[0];
    EXPECT_EQ(pieces[0].substr(pieces[0].size() - 2), "\r\n");
    for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(pieces[i + 1], lines[i] + "\r\n") << i;
  }
};

}  // namespace

TEST_F(RecoveryStatusTest, RunsOverAFatCardAndATinyImageEndWithNextAndTheSummary) {
  OpenSource(ProgramFolderFile("..\\samples\\fat32.img"));
  StartRun();
  ExpectFinishedWithSummary();
  EXPECT_TRUE(Logged("15 files found.")) << "line 505";
  SaveScreenshot(Main().Handle(), "step3-finished.png");
  Click(RecoveryStatus::kNext);
  PumpUntil([this] { return Main().StepNumber() == 4; }, 2000);
  EXPECT_EQ(Main().StepNumber(), 4);
  ASSERT_NE(TheContext().CurrentRecovery, nullptr);

  OpenImageAsSource("tiny.img", 16);
  delete TheContext().CurrentRecovery;
  TheContext().CurrentRecovery = nullptr;
  StartRun();
  ExpectFinishedWithSummary();
}

// The bar is read on every pass of the message loop, while another thread
// asks the window for an answer as a hung-window check does.
TEST_F(RecoveryStatusTest, OnALargeSparseCardTheBarNeverGoesBackAndTheWindowAnswers) {
  const std::string large = LargeSparseImage();
  ASSERT_FALSE(large.empty());
  OpenSource(large);
  ASSERT_EQ(TheContext().CurrentMedia->sectorCount, kLargeCard / 512);
  StartRun();
  std::atomic<bool> asking{true};
  std::atomic<DWORD> slowest{0};
  HWND main = Main().Handle();
  std::thread asker([&] {
    while (asking) {
      const DWORD started = GetTickCount();
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) slowest = 1000;
      const DWORD took = GetTickCount() - started;
      if (took > slowest) slowest = took;
      Sleep(20);
    }
  });
  std::vector<int> shown;
  PumpUntil([&] {
    const int position = Bar();
    if (shown.empty() || shown.back() != position) shown.push_back(position);
    return false;
  }, 3000);
  asking = false;
  asker.join();
  const std::vector<std::string> midRun = Lines();
  SaveScreenshot(Main().Handle(), "step3-running.png");
  Click(RecoveryStatus::kBack);

  ASSERT_FALSE(shown.empty());
  for (std::size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]) << "went back at " << i;
  EXPECT_GE(shown.back(), 25);
  EXPECT_LE(shown.back(), 100);
  EXPECT_LE(slowest.load(), 100u);
  EXPECT_FALSE(midRun.empty());
  PumpUntil([this] { return Main().StepNumber() == 2 && Main().CurrentStep() != nullptr; }, 3000);
  EXPECT_EQ(Main().StepNumber(), 2);
  EXPECT_EQ(TheContext().CurrentRecovery, nullptr);
}

TEST_F(RecoveryStatusTest, TenBackAndNextCyclesInTheMiddleOfARunLeaveStep2WithTheArrow) {
  const std::string large = LargeSparseImage();
  ASSERT_FALSE(large.empty());
  OpenSource(large);
  StartRun();
  for (int cycle = 0; cycle < 10; ++cycle) {
    PumpFor(100);
    ASSERT_EQ(Main().StepNumber(), 3) << cycle;
    EXPECT_FALSE(TheContext().CurrentRecovery->isFinished()) << cycle;
    const DWORD started = GetTickCount();
    Click(RecoveryStatus::kBack);
    EXPECT_LT(GetTickCount() - started, 2000u) << "Back waited for the run, cycle " << cycle;
    PumpUntil([this] { return Main().StepNumber() == 2 && Main().CurrentStep() != nullptr; }, 3000);
    ASSERT_EQ(Main().StepNumber(), 2) << cycle;
    EXPECT_EQ(TheContext().CurrentRecovery, nullptr);
    EXPECT_EQ(Main().BusyCount(), 0) << cycle;
    if (cycle < 9) NextOnStep2();
  }
  EXPECT_EQ(Main().StepNumber(), 2);
  EXPECT_EQ(Main().BusyCount(), 0);
}

TEST_F(RecoveryStatusTest, TheClipboardGetsTheHeaderAndEveryLineAlsoInTheMiddleOfARun) {
  const std::string large = LargeSparseImage();
  ASSERT_FALSE(large.empty());
  OpenSource(large);
  StartRun();
  PumpUntil([this] { return Lines().size() >= 2; }, 5000);
  CopyThroughTheMenu();
  const std::vector<std::string> midRun = Lines();
  EXPECT_FALSE(TheContext().CurrentRecovery->isFinished());
  ExpectClipboardHolds(midRun);
  Click(RecoveryStatus::kBack);

  OpenSource(ProgramFolderFile("..\\samples\\fat16.img"));
  PumpUntil([this] { return Main().CurrentStep() != nullptr && Main().StepNumber() == 2; }, 3000);
  NextOnStep2();
  ASSERT_TRUE(RunEnds());
  ASSERT_TRUE(Step()->CopyListToClipboard());
  ExpectClipboardHolds(Lines());
}

// The program itself, driven from outside as a user drives it: the image
// through step 1's open dialog, Next on step 2, and the close box while the
// run goes on.
TEST_F(RecoveryStatusTest, ClosingTheProgramInTheMiddleOfARunEndsItCleanly) {
  const std::string large = LargeSparseImage();
  ASSERT_FALSE(large.empty());
  const std::string folder = FreshFolder("step3-program");
  ASSERT_TRUE(CopyProgram(folder));
  for (const char* file : {"1033.DLL", "FileIdentify.dict"}) ASSERT_TRUE(CopyBeside(file, folder));
  window_.reset();  // one main window at a time
  ChildProcess program(folder + "\\Vantrel.exe", folder);
  ASSERT_TRUE(program.Started());
  HWND main = WaitForWindow("VANTREL", "Vantrel", 10000);
  ASSERT_NE(main, nullptr);
  const auto stepWith = [main](int control) {
    HWND found = nullptr;
    PumpUntil([&] {
      HWND step = FindWindowExA(main, nullptr, "#32770", nullptr);
      found = step != nullptr && GetDlgItem(step, control) != nullptr ? step : nullptr;
      return found != nullptr;
    }, 10000);
    return found;
  };
  HWND step1 = stepWith(SelDevice::kDeviceList);
  ASSERT_NE(step1, nullptr);
  HWND list = GetDlgItem(step1, SelDevice::kDeviceList);
  PumpUntil([list] { return SendMessageA(list, LB_GETCOUNT, 0, 0) >= 2; }, 10000);
  PumpFor(500);
  const LRESULT imageRow = SendMessageA(list, LB_GETCOUNT, 0, 0) - 1;
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(imageRow), 0);
  SendMessageA(step1, WM_COMMAND, MAKEWPARAM(SelDevice::kDeviceList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  PostMessageA(step1, WM_COMMAND, MAKEWPARAM(SelDevice::kNext, BN_CLICKED), 0);
  HWND open = WaitForWindow("#32770", "Open", 10000);
  ASSERT_NE(open, nullptr);
  // The dialog fills its name box while it sets itself up: the name goes in
  // once the box shows the dialog's own.
  HWND name = nullptr;
  PumpUntil([&] {
    name = GetDlgItem(open, kFileNameBox);
    char shown[MAX_PATH] = {};
    return name != nullptr && IsWindowVisible(open) && GetWindowTextA(name, shown, MAX_PATH) > 0;
  }, 5000);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(large.c_str()));
  PostMessageA(open, WM_COMMAND, IDOK, 0);
  HWND step2 = stepWith(RecoveryParms::kSaveImage);
  ASSERT_NE(step2, nullptr);
  PostMessageA(step2, WM_COMMAND, MAKEWPARAM(RecoveryParms::kNext, BN_CLICKED), 0);
  HWND step3 = stepWith(RecoveryStatus::kStatusList);
  ASSERT_NE(step3, nullptr);
  PumpUntil([step3] { return SendDlgItemMessageA(step3, RecoveryStatus::kStatusList, LB_GETCOUNT, 0, 0) >= 2; },
            5000);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(step3, RecoveryStatus::kNext))) << "the run ended too soon";

  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  EXPECT_TRUE(program.WaitForExit(10000, code));
  EXPECT_EQ(code, 0u);
}
