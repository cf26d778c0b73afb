// Framed controls and text lines of the dialog toolkit on a real window.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Context.h"
#include "RectHighlight.h"
#include "ShellTestSupport.h"
#include "TextControl.h"
#include "TextIds.h"
#include "Texts.h"
#include "Window.h"

namespace {

const COLORREF kLight = RGB(192, 192, 255);
const COLORREF kDark = RGB(0, 0, 255);

// A visible window to put frames and text lines on, standing in for the
// main window; the main window object provides the palette.
class ToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheContext().ownInstance = GetModuleHandleA(nullptr);
    palette_.reset(new Window);
    parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    TheContext().mainWindowHandle = parent_;
  }
  void TearDown() override {
    TheContext().mainWindowHandle = nullptr;
    DestroyWindow(parent_);
    palette_.reset();
    DeleteKey(HKEY_LOCAL_MACHINE, kMachineKey);
  }

  std::unique_ptr<Window> palette_;
  HWND parent_ = nullptr;
};

RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

}  // namespace

TEST(ExpandMacro, ReplacesEveryAmpersandW) {
  EXPECT_EQ(ExpandMacro("Help: &w, or &w", "example.org"), "Help: example.org, or example.org");
  EXPECT_EQ(ExpandMacro("&w", ""), "");
  EXPECT_EQ(ExpandMacro("Tom && Jerry &w!", ""), "Tom && Jerry !");
  EXPECT_EQ(ExpandMacro("&x stays, & too", "site"), "&x stays, & too");
  EXPECT_EQ(ExpandMacro("ends with &", "site"), "ends with &");
  EXPECT_EQ(ExpandMacro("&&w", "site"), "&&w");
}

TEST_F(ToolkitTest, ExpandWebsiteMacroReadsTheMachineWideSetting) {
  DeleteKey(HKEY_LOCAL_MACHINE, kMachineKey);
  EXPECT_EQ(ExpandWebsiteMacro("See &w."), "See .");
  EXPECT_EQ(ExpandWebsiteMacro("Tom && Jerry: &w, &w"), "Tom && Jerry: , ");
  SetTextValue(HKEY_LOCAL_MACHINE, kMachineKey, "Website", "help.example.org");
  EXPECT_EQ(ExpandWebsiteMacro("See &w."), "See help.example.org.");
}

TEST_F(ToolkitTest, AFrameIsTwoPixelsLargerOnEverySide) {
  RectHighlight frame;
  HWND window = frame.CreateFrame(10, 20, 100, 30);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetParent(window), parent_);
  RECT rect = RectInParent(window);
  EXPECT_EQ(rect.left, 8);
  EXPECT_EQ(rect.top, 18);
  EXPECT_EQ(rect.right - rect.left, 104);
  EXPECT_EQ(rect.bottom - rect.top, 34);
  EXPECT_EQ(frame.DrawingRect().right, 104);
  EXPECT_EQ(frame.DrawingRect().bottom, 34);
}

TEST_F(ToolkitTest, AFilledFrameWithSwappedPensLooksSunken) {
  RectHighlight frame;
  frame.SetFill(true);
  frame.SwapPens();
  HWND window = frame.CreateFrame(10, 20, 100, 30);
  UpdateWindow(window);
  WindowPixels pixels(window);
  EXPECT_EQ(pixels.At(50, 17), Palette::kPanelColour);
  for (int edge = 0; edge < 2; ++edge) {
    EXPECT_EQ(pixels.At(50, edge), kDark);
    EXPECT_EQ(pixels.At(edge, 17), kDark);
    EXPECT_EQ(pixels.At(50, 33 - edge), kLight);
    EXPECT_EQ(pixels.At(103 - edge, 17), kLight);
  }
  EXPECT_EQ(pixels.At(50, 2), Palette::kPanelColour);
}

TEST_F(ToolkitTest, TrackRectRepaintsOnlyWhenTheSizeChanges) {
  RectHighlight frame;
  HWND window = frame.CreateFrame(10, 20, 100, 30);
  UpdateWindow(window);
  frame.TrackRect(RECT{300, 300, 400, 330});  // the framed control's size: 104 by 34 again
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  frame.TrackRect(RECT{300, 300, 420, 340});
  EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
  EXPECT_EQ(frame.DrawingRect().right, 124);
  EXPECT_EQ(frame.DrawingRect().bottom, 44);
}

TEST_F(ToolkitTest, AttachedFramesDrawInTheControlAndDieWithIt) {
  HWND control = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 5, 5, 60, 40, parent_, nullptr, nullptr,
                                 nullptr);
  {
    RectHighlight frame;
    frame.AttachFrame(control);
    EXPECT_EQ(frame.FrameWindow(), control);
    EXPECT_EQ(frame.DrawingRect().right, 60);
    EXPECT_EQ(frame.DrawingRect().bottom, 40);
  }
  EXPECT_FALSE(IsWindow(control));
}

TEST_F(ToolkitTest, TextSetBeforeCreationShowsOnCreation) {
  TextControl line;
  line.SetWithFrame(false);
  line.SetTextById(kTextStep1Title, true);
  EXPECT_EQ(line.Text(), LoadText(kTextStep1Title));
  HWND text = line.CreateText(50, 47, 200, 18, true);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(line.FrameWindow(), nullptr);
  EXPECT_EQ(TextOf(text), LoadText(kTextStep1Title));
  EXPECT_TRUE(GetWindowLongPtrA(text, GWL_STYLE) & SS_CENTER);
  RECT rect = RectInParent(text);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.top, 47);

  line.SetTextById(kTextStep2Title, false);
  EXPECT_EQ(TextOf(text), LoadText(kTextStep2Title));
  EXPECT_FALSE(GetWindowLongPtrA(text, GWL_STYLE) & SS_CENTER);
}

TEST_F(ToolkitTest, AnEditLineWithItsFrame) {
  HWND text = nullptr, frame = nullptr;
  {
    TextControl line;
    line.SetFont(palette_->Colours().UiFont());
    text = line.CreateText(20, 30, 150, 20, false);
    ASSERT_NE(text, nullptr);
    frame = line.FrameWindow();
    ASSERT_NE(frame, nullptr);
    char className[16] = {};
    GetClassNameA(text, className, sizeof className);
    EXPECT_STRCASEEQ(className, "Edit");
    EXPECT_TRUE(GetWindowLongPtrA(text, GWL_STYLE) & ES_AUTOHSCROLL);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(text, WM_GETFONT, 0, 0)), palette_->Colours().UiFont());
    EXPECT_EQ(RectInParent(frame).left, 18);
  }
  EXPECT_FALSE(IsWindow(text));
  EXPECT_FALSE(IsWindow(frame));
}
