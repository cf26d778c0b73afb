// The dialog base on the real main window: binding and placement, the layout
// normalisation, the information text, the status and progress lines,
// tooltips, the show-control message, closing and the hand-back of the
// current dialog.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Context.h"
#include "OwnResources.h"
#include "ShellTestSupport.h"
#include "TextIds.h"
#include "Texts.h"
#include "ResourceIds.h"
#include "ToolkitTestSupport.h"

namespace {

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::vector<RECT> ChildRects(HWND dialog) {
  std::vector<RECT> rects;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    rects.push_back(RectInParent(child));
  return rects;
}

class DialogTest : public MainWindowStage {};

}  // namespace

TEST_F(DialogTest, AStepIsBoundPlacedAndCurrent) {
  TestDialog& step = OpenStep();
  HWND window = step.Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetPropA(window, Dialog::kObjectProperty), &step);
  EXPECT_EQ(Main().CurrentDialog(), window);
  RECT main = {}, placed = {};
  GetWindowRect(Main().Handle(), &main);
  GetWindowRect(window, &placed);
  EXPECT_EQ(placed.left - main.left, 30);
  EXPECT_EQ(placed.right - placed.left, Window::kWidth - 60);
  EXPECT_NE(step.ToolTipWindow(), nullptr);
  EXPECT_TRUE(GetWindowLongPtrA(step.ToolTipWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(DialogTest, AtOneAndAHalfPixelsPerUnitNoControlMoves) {
  TestDialog dialog(Main().Handle(), IDD_NORMAL_FONT, false);
  ASSERT_TRUE(dialog.CreateOnly());
  RECT units = {0, 0, 100, 100};
  ASSERT_TRUE(MapDialogRect(dialog.Handle(), &units));
  ASSERT_EQ(units.right, 150) << "the suite's display maps the dialog font differently";
  ASSERT_EQ(units.bottom, 163);
  const std::vector<RECT> before = ChildRects(dialog.Handle());
  ASSERT_TRUE(dialog.InitControls(kTextStep1Information));
  EXPECT_EQ(dialog.ScaleX(), 100);
  EXPECT_EQ(dialog.ScaleY(), 100);
  // The frames are new windows behind the controls; the controls come first.
  const std::vector<RECT> after = ChildRects(dialog.Handle());
  ASSERT_GE(after.size(), before.size());
  for (std::size_t i = 0; i < before.size(); ++i) EXPECT_TRUE(EqualRect(&before[i], &after[i])) << "control " << i;
}

TEST_F(DialogTest, ALargerFontIsLaidOutAsTheNormalOne) {
  TestDialog dialog(Main().Handle(), IDD_LARGE_FONT, false);
  ASSERT_TRUE(dialog.Create());
  EXPECT_LT(dialog.ScaleX(), 100);
  EXPECT_LT(dialog.ScaleY(), 100);
  // The edit field lies at (10, 20) units, 100 by 12: at 1.5 and 1.63 pixels
  // per unit, give or take the rounding of two integer divisions.
  const RECT edit = RectInParent(GetDlgItem(dialog.Handle(), IDC_FOLDER));
  EXPECT_NEAR(edit.left, 15, 1);
  EXPECT_NEAR(edit.top, 33, 1);
  EXPECT_NEAR(edit.right - edit.left, 150, 2);
  EXPECT_NEAR(edit.bottom - edit.top, 20, 2);
  // A hidden control moves as well, but is left unstyled.
  HWND hidden = GetDlgItem(dialog.Handle(), IDC_HIDDEN);
  EXPECT_NEAR(RectInParent(hidden).left, 90, 1);
  EXPECT_NE(reinterpret_cast<HFONT>(SendMessageA(hidden, WM_GETFONT, 0, 0)), Main().Colours().UiFont());
}

TEST_F(DialogTest, TheInformationTextIsBoldItalicBlueWithItsLink) {
  OpenStep();
  HWND text = Control(Dialog::kInformationText);
  const std::string expected = LoadText(kTextStep1Information, TheContext().WebsiteText.c_str());
  EXPECT_EQ(TextOf(text), expected);

  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  SendMessageA(text, EM_SETSEL, 0, 5);
  SendMessageA(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  EXPECT_STREQ(format.szFaceName, "Comic Sans MS");
  EXPECT_EQ(format.dwEffects & (CFE_BOLD | CFE_ITALIC), static_cast<DWORD>(CFE_BOLD | CFE_ITALIC));
  EXPECT_EQ(format.yHeight, 220);
  EXPECT_EQ(format.crTextColor, Palette::kTextColour);
  EXPECT_TRUE(SendMessageA(text, EM_GETEVENTMASK, 0, 0) & ENM_LINK);

  const LONG at = static_cast<LONG>(expected.find("talvenor")) + 2;
  SendMessageA(text, EM_SETSEL, at, at + 1);
  SendMessageA(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  EXPECT_TRUE(format.dwEffects & CFE_LINK);
}

TEST_F(DialogTest, AnEmptyStatusTextHidesTheLineAndALaterTextShowsIt) {
  TestDialog& step = OpenStep();
  HWND line = Control(Dialog::kStatusLine);
  step.SetStatusText(0, "");
  EXPECT_FALSE(IsWindowVisible(line));
  step.SetStatusText(kTextDriveNotOpened, 'E');
  EXPECT_TRUE(IsWindowVisible(line));
  EXPECT_EQ(TextOf(line), LoadText(kTextDriveNotOpened, 'E'));
  step.SetStatusText(0, "");
  EXPECT_FALSE(IsWindowVisible(line));
  step.SetStatusText(0, "Ready");
  EXPECT_TRUE(IsWindowVisible(line));
  EXPECT_EQ(TextOf(line), "Ready");
}

TEST_F(DialogTest, AWorkerSetsTheStatusLineThroughTheDialogsThread) {
  TestDialog& step = OpenStep();
  std::atomic<bool> done{false};
  std::thread worker([&] {
    step.SetStatusText(0, "Searching");
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 10000));
  worker.join();
  EXPECT_EQ(TextOf(Control(Dialog::kStatusLine)), "Searching");
}

TEST_F(DialogTest, ProgressWithoutATotalChangesNothing) {
  TestDialog& step = OpenStep();
  HWND bar = Control(Dialog::kProgressBar);
  step.SetProgressRange(0, true);
  step.SetProgressText(0, "Saving");
  step.SetProgress(7);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);
  EXPECT_EQ(TextOf(Control(Dialog::kProgressLine)), "Saving" + LoadText(kTextPercentage, 0));
}

TEST_F(DialogTest, ProgressAtTheTotalShowsAHundredPercent) {
  TestDialog& step = OpenStep();
  HWND bar = Control(Dialog::kProgressBar);
  HWND line = Control(Dialog::kProgressLine);
  step.SetProgressRange(4000000000u, true);
  EXPECT_EQ(TextOf(line), "");
  step.SetProgressText(0, "Saving");
  EXPECT_EQ(TextOf(line), "Saving" + LoadText(kTextPercentage, 0));
  // 64-bit arithmetic: 3,000,000,000 x 100 does not fit in 32 bits.
  step.SetProgress(3000000000u);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 75);
  EXPECT_EQ(TextOf(line), "Saving" + LoadText(kTextPercentage, 75));
  step.SetProgress(4000000000u);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
  EXPECT_EQ(TextOf(line), "Saving" + LoadText(kTextPercentage, 100));

  // Without the percentage the line keeps its text.
  step.SetProgressRange(200, false);
  step.SetProgressText(kTextSectorsSaved, 50u, static_cast<uint64_t>(200));
  step.SetProgress(50);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 25);
  EXPECT_EQ(TextOf(line), LoadText(kTextSectorsSaved, 50u, static_cast<uint64_t>(200)));
}

TEST_F(DialogTest, AnAnimatedDialogRevealsItsBarWithTheRange) {
  TestDialog& step = OpenStep();
  HWND bar = Control(Dialog::kProgressBar);
  step.SetAnimated(true);
  SendMessageA(step.Handle(), Dialog::kShowControlMessage, reinterpret_cast<WPARAM>(bar), 0);
  EXPECT_FALSE(IsWindowVisible(bar));
  step.SetProgressRange(10, false);
  EXPECT_TRUE(IsWindowVisible(bar));
}

TEST_F(DialogTest, TheShowControlMessageDisablesAndHidesOrShows) {
  TestDialog& step = OpenStep();
  HWND button = Control(IDC_COPY_LIST);
  SendMessageA(step.Handle(), Dialog::kShowControlMessage, reinterpret_cast<WPARAM>(button), 0);
  EXPECT_FALSE(IsWindowVisible(button));
  EXPECT_FALSE(IsWindowEnabled(button));
  SendMessageA(step.Handle(), Dialog::kShowControlMessage, reinterpret_cast<WPARAM>(button), SW_SHOW);
  EXPECT_TRUE(IsWindowVisible(button));
}

TEST_F(DialogTest, ASecondTooltipReplacesTheFirst) {
  TestDialog& step = OpenStep();
  ASSERT_TRUE(step.SetToolTipById(IDC_BACK, kTextBackTip));
  ASSERT_TRUE(step.SetToolTip(IDC_BACK, "Back to the card"));
  EXPECT_EQ(SendMessageA(step.ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 1);
  char text[256] = {};
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = step.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(Control(IDC_BACK));
  tool.uFlags = TTF_IDISHWND;
  tool.lpszText = text;
  SendMessageA(step.ToolTipWindow(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  EXPECT_STREQ(text, "Back to the card");

  ASSERT_TRUE(step.SetToolTipById(IDC_NEXT, kTextNextTip));
  EXPECT_EQ(SendMessageA(step.ToolTipWindow(), TTM_GETTOOLCOUNT, 0, 0), 2);
  EXPECT_FALSE(step.SetToolTip(4242, "no such control"));

  // Side dialogs have none.
  TestDialog side(step.Handle(), IDD_LARGE_FONT, false);
  ASSERT_TRUE(side.Create());
  EXPECT_EQ(side.ToolTipWindow(), nullptr);
  EXPECT_FALSE(side.SetToolTip(IDC_FOLDER, "Folder"));
}

TEST_F(DialogTest, EscapeClosesAStepAndItsOperationsThenDoNothing) {
  TestDialog& step = OpenStep();
  HWND window = step.Handle();
  SendMessageA(window, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(step.Handle(), nullptr);
  EXPECT_TRUE(step.IsClosed());
  EXPECT_EQ(Main().CurrentDialog(), nullptr);
  // What a worker still sends goes nowhere.
  step.SetStatusText(0, "late");
  step.SetProgressRange(10, true);
  step.SetProgress(5);
  EXPECT_EQ(step.Handle(), nullptr);
}

TEST_F(DialogTest, ASideDialogOfTheStepHandsTheCurrentDialogBack) {
  TestDialog& step = OpenStep();
  std::unique_ptr<TestDialog> side(new TestDialog(step.Handle(), IDD_LARGE_FONT, false));
  EXPECT_TRUE(side->IsChildOfCurrentStep());
  ASSERT_TRUE(side->Create());
  EXPECT_EQ(Main().CurrentDialog(), side->Handle());
  EnableWindow(step.Handle(), FALSE);
  UpdateWindow(step.Handle());
  HWND sideWindow = side->Handle();
  side.reset();
  EXPECT_FALSE(IsWindow(sideWindow));
  EXPECT_EQ(Main().CurrentDialog(), step.Handle());
  EXPECT_TRUE(IsWindowEnabled(step.Handle()));
  EXPECT_TRUE(GetUpdateRect(step.Handle(), nullptr, FALSE));
}

TEST_F(DialogTest, AMissingTemplateIsAFailure) {
  TestDialog dialog(Main().Handle(), 2999, false);
  EXPECT_FALSE(dialog.Create());
  EXPECT_EQ(dialog.Handle(), nullptr);
  EXPECT_EQ(dialog.RunModal(), -1);
}

TEST(PanelBitmap, SeeThroughGreyBecomesThePanelColour) {
  TheContext().ownInstance = GetModuleHandleA(nullptr);
  HBITMAP original = LoadBitmapA(OwnInstance(), MAKEINTRESOURCEA(IDB_NEXT));
  HBITMAP panel = Dialog::LoadPanelBitmap(IDB_NEXT);
  ASSERT_NE(original, nullptr);
  ASSERT_NE(panel, nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  auto pixel = [&](HBITMAP bitmap, int x, int y) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, previous);
    return colour;
  };
  EXPECT_EQ(pixel(original, 0, 0), RGB(192, 192, 192));
  EXPECT_EQ(pixel(panel, 0, 0), Palette::kPanelColour);
  EXPECT_EQ(pixel(panel, 16, 16), pixel(original, 16, 16));
  EXPECT_NE(pixel(panel, 16, 16), Palette::kPanelColour);
  DeleteDC(memory);
  DeleteObject(original);
  DeleteObject(panel);
  EXPECT_EQ(Dialog::LoadPanelBitmap(4242), nullptr);
}
