// The About box as the user opens it: menu command 3002 of the main window,
// over the step that is open; Escape or Enter closes it and the step is the
// current dialog again. Leaves a screenshot of the box.
#include <string>

#include "About.h"
#include "Context.h"
#include "ShellTestSupport.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "ToolkitTestSupport.h"

namespace {

const UINT kAboutCommand = 3002;

// What the test saw of the box while it was open.
struct Seen {
  HWND box = nullptr;
  HWND owner = nullptr;
  RECT rect = {};
  std::string version;
  std::string information;
  bool mainWindowDisabled = false;
};

// The box runs its own modal loop inside the command; a thread timer of the
// test looks at it from within that loop and then presses a key.
Seen seen;
WPARAM keyToPress = VK_ESCAPE;
const char* screenshotName = nullptr;

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

void CALLBACK LookAtTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND box = FindWindowA("#32770", LoadText(kTextAboutTitle).c_str());
  seen.box = box;
  if (box == nullptr) return;
  seen.owner = GetWindow(box, GW_OWNER);
  GetWindowRect(box, &seen.rect);
  seen.version = TextOf(GetDlgItem(box, About::kVersionLine));
  seen.information = TextOf(GetDlgItem(box, Dialog::kInformationText));
  seen.mainWindowDisabled = !IsWindowEnabled(static_cast<HWND>(TheContext().mainWindowHandle));
  if (screenshotName != nullptr) {
    PumpFor(500);
    // The main window's area: the box as it shows over the program.
    SaveScreenshot(static_cast<HWND>(TheContext().mainWindowHandle), screenshotName);
  }
  PostMessageA(GetFocus(), WM_KEYDOWN, keyToPress, 0);
}

class AboutTest : public MainWindowStage {
 protected:
  // Sends the menu command; returns when the box has been closed.
  void OpenAbout(WPARAM key, const char* screenshot = nullptr) {
    seen = Seen();
    keyToPress = key;
    screenshotName = screenshot;
    SetTimer(nullptr, 0, 300, &LookAtTheBox);
    SendMessageA(Main().Handle(), WM_COMMAND, kAboutCommand, 0);
  }
};

bool Contains(const RECT& outer, const RECT& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

}  // namespace

TEST_F(AboutTest, TheMenuCommandOpensTheBoxOverTheMainWindow) {
  TestDialog& step = OpenStep();
  OpenAbout(VK_ESCAPE, "about-box.png");
  ASSERT_NE(seen.box, nullptr) << "no About box";
  EXPECT_EQ(seen.owner, Main().Handle());
  EXPECT_TRUE(seen.mainWindowDisabled);
  RECT main = {};
  GetWindowRect(Main().Handle(), &main);
  EXPECT_TRUE(Contains(main, seen.rect));
  EXPECT_EQ(seen.version, LoadText(kTextAboutVersion, ProductVersionText(nullptr)));
  EXPECT_EQ(seen.information, LoadText(kTextAboutInformation, TheContext().WebsiteText.c_str()));
  EXPECT_FALSE(IsWindow(seen.box));
  EXPECT_EQ(Main().CurrentDialog(), step.Handle());
}

TEST_F(AboutTest, EscapeGivesTheStepBackAndRepaintsIt) {
  TestDialog& step = OpenStep();
  PumpFor(100);
  const int paints = step.paints;
  OpenAbout(VK_ESCAPE);
  ASSERT_NE(seen.box, nullptr);
  EXPECT_FALSE(IsWindow(seen.box));
  EXPECT_EQ(Main().CurrentDialog(), step.Handle());
  EXPECT_TRUE(IsWindowEnabled(step.Handle()));
  EXPECT_TRUE(IsWindowEnabled(Main().Handle()));
  EXPECT_TRUE(PumpUntil([&] { return step.paints > paints; }, 5000));
}

TEST_F(AboutTest, EnterClosesItToo) {
  TestDialog& step = OpenStep();
  OpenAbout(VK_RETURN);
  ASSERT_NE(seen.box, nullptr);
  EXPECT_FALSE(IsWindow(seen.box));
  EXPECT_EQ(Main().CurrentDialog(), step.Handle());
}

TEST_F(AboutTest, WithoutAStepTheMainWindowOwnsTheBox) {
  OpenAbout(VK_ESCAPE);
  ASSERT_NE(seen.box, nullptr);
  EXPECT_EQ(seen.owner, Main().Handle());
  EXPECT_FALSE(IsWindow(seen.box));
  EXPECT_EQ(Main().CurrentDialog(), nullptr);
}
