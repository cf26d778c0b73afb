// The progress window of the image save over step 1, driven by a loop that
// pumps the main window's messages as the save does: its line and bar, each
// way the user ends it read as a cancel, a window that cannot be made read
// as a failure, and what it looks like.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "Context.h"
#include "ProgressDlg.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

class ProgressDlgTest : public StepStage {
 protected:
  std::string Line(const ProgressDlg& dialog) {
    char text[200] = {};
    GetDlgItemTextA(dialog.Handle(), Dialog::kProgressLine, text, sizeof text);
    return text;
  }
  // The save's loop: update, look for a cancel, pump; true once cancelled.
  bool SaveLoop(ProgressDlg& dialog, const std::function<void()>& user) {
    user();
    for (uint32_t done = 0; done < 200; ++done) {
      dialog.Update(done, 1000);
      if (dialog.Cancelled()) return true;
      Main().PumpMessages();
      Sleep(10);
    }
    return dialog.Cancelled();
  }
  // Each way of ending it ends it as a cancel; the step is usable again.
  void ExpectCancelledBy(const std::function<void(HWND)>& user) {
    HWND step = StepWindow();
    {
      ProgressDlg dialog(step);
      ASSERT_TRUE(dialog.Create());
      HWND window = dialog.Handle();
      EXPECT_FALSE(IsWindowEnabled(step));
      EXPECT_TRUE(SaveLoop(dialog, [&] { user(window); }));
      EXPECT_FALSE(IsWindow(window));
      EXPECT_EQ(dialog.Handle(), nullptr);
    }
    EXPECT_TRUE(IsWindowEnabled(step));
    EXPECT_EQ(Main().CurrentDialog(), step);
  }
};

}  // namespace

TEST_F(ProgressDlgTest, ShowsSectorsSavedCentredOverTheMainWindow) {
  const int loopsBefore = Main().NestedLoops();
  ProgressDlg dialog(StepWindow());
  ASSERT_TRUE(dialog.Create());
  EXPECT_TRUE(IsWindowVisible(dialog.Handle()));
  EXPECT_GT(Main().NestedLoops(), loopsBefore);
  dialog.Update(0, 5000);
  EXPECT_EQ(Line(dialog), LoadText(kTextSectorsSaved, 0u, uint64_t{5000}));
  HWND bar = GetDlgItem(dialog.Handle(), Dialog::kProgressBar);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  // Within the quarter second only the last update is drawn.
  dialog.Update(1234, 5000);
  EXPECT_EQ(Line(dialog), LoadText(kTextSectorsSaved, 0u, uint64_t{5000}));
  Sleep(300);
  dialog.Update(1234, 5000);
  EXPECT_EQ(Line(dialog), LoadText(kTextSectorsSaved, 1234u, uint64_t{5000}));
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 24);

  RECT main = {}, box = {}, desktop = {};
  GetWindowRect(Main().Handle(), &main);
  GetWindowRect(dialog.Handle(), &box);
  GetWindowRect(GetDesktopWindow(), &desktop);
  if (main.right <= desktop.right && main.bottom <= desktop.bottom && main.left >= 0 && main.top >= 0) {
    EXPECT_LE(std::abs((main.left + main.right) - (box.left + box.right)), 2);
    EXPECT_LE(std::abs((main.top + main.bottom) - (box.top + box.bottom)), 2);
  }
  Main().PumpMessages();
  UpdateWindow(dialog.Handle());
  SaveScreenshot(dialog.Handle(), "progress-dialog.png");

  // A total past 32 bits fills the bar by its share, not by its low bits.
  Sleep(300);
  dialog.Update(0x80000000u, uint64_t{1} << 33);
  EXPECT_EQ(Line(dialog), LoadText(kTextSectorsSaved, 0x80000000u, uint64_t{1} << 33));
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 25);
  dialog.Update(7, 7);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
  EXPECT_FALSE(dialog.Cancelled());
}

TEST_F(ProgressDlgTest, EscEnterCloseBoxAndCancelEachCancel) {
  const auto key = [](WPARAM code) {
    return [code](HWND window) { PostMessageA(GetFocus() != nullptr ? GetFocus() : window, WM_KEYDOWN, code, 1); };
  };
  ExpectCancelledBy(key(VK_ESCAPE));
  ExpectCancelledBy(key(VK_RETURN));
  ExpectCancelledBy([](HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); });
  ExpectCancelledBy([](HWND window) { PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0); });
}

TEST_F(ProgressDlgTest, AWindowThatCannotBeMadeIsAFailureNotACancel) {
  void* language = TheContext().LanguageModule;
  // The executable holds no template 153.
  TheContext().LanguageModule = GetModuleHandleA(nullptr);
  {
    ProgressDlg dialog(StepWindow());
    EXPECT_FALSE(dialog.Create());
    EXPECT_FALSE(dialog.Cancelled());
    EXPECT_EQ(dialog.Handle(), nullptr);
    dialog.Update(1, 2);
    EXPECT_TRUE(IsWindowEnabled(StepWindow()));
  }
  TheContext().LanguageModule = language;
  EXPECT_EQ(Main().CurrentDialog(), StepWindow());
}
