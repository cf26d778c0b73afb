// The program's look on a step holding every styled control: fonts, sunken
// frames, panels, owner-drawn lists, buttons and headers, read back from the
// pixels on the display. Leaves a screenshot of the step for a person to see.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "Bitmaps.h"
#include "Context.h"
#include "ShellTestSupport.h"
#include "TextIds.h"
#include "ResourceIds.h"
#include "ToolkitTestSupport.h"

namespace {

const COLORREF kLight = RGB(192, 192, 255);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kGrey = RGB(128, 128, 128);

const char kLongName[] = "DCIM\\100CANON\\IMG_20240101_120000_at_the_lake_with_everybody.jpg";

class ControlStyleTest : public MainWindowStage {
 protected:
  void SetUp() override {
    MainWindowStage::SetUp();
    OpenStep();
  }
  HFONT FontOf(int id) const { return reinterpret_cast<HFONT>(SendMessageA(Control(id), WM_GETFONT, 0, 0)); }
  // Paints the control now and reads what the step shows.
  WindowPixels Repainted(int id) const {
    RedrawWindow(Control(id), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return WindowPixels(step_->Handle());
  }
  void SetImage(int id, int bitmapId) {
    SendMessageA(Control(id), BM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(Dialog::LoadPanelBitmap(bitmapId)));
  }
  void AddColumns() {
    HWND list = Control(IDC_FILES);
    const char* titles[] = {"Name", "Size", "State"};
    const int widths[] = {150, 80, 70};
    for (int i = 0; i < 3; ++i) {
      LVCOLUMNA column = {};
      column.mask = LVCF_TEXT | LVCF_WIDTH;
      column.pszText = const_cast<char*>(titles[i]);
      column.cx = widths[i];
      SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
  }
  RECT HeaderRect() const {
    HWND header = reinterpret_cast<HWND>(SendMessageA(Control(IDC_FILES), LVM_GETHEADER, 0, 0));
    RECT rect = {};
    GetWindowRect(header, &rect);
    MapWindowPoints(nullptr, step_->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
};

int CountWhere(const WindowPixels& pixels, const RECT& rect, const std::function<bool(COLORREF)>& test) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) count += test(pixels.At(x, y)) ? 1 : 0;
  return count;
}

RECT Inset(RECT rect, int by) {
  InflateRect(&rect, -by, -by);
  return rect;
}

}  // namespace

TEST_F(ControlStyleTest, AReadOnlyEditIsDecorativeAndAnEditableOneUsesTheUiFont) {
  const Palette& colours = Main().Colours();
  EXPECT_EQ(FontOf(IDC_CARD), colours.DecorativeFont());
  EXPECT_EQ(FontOf(IDC_FOLDER), colours.UiFont());
  EXPECT_EQ(FontOf(IDC_COPY_LIST), colours.UiFont());
  EXPECT_EQ(FontOf(IDC_FOUND), colours.UiFont());
  EXPECT_NE(FontOf(Dialog::kInformationText), colours.UiFont());
  EXPECT_NE(FontOf(Dialog::kInformationText), colours.DecorativeFont());
}

TEST_F(ControlStyleTest, AFramedEditShowsASunkenTwoPixelEdge) {
  const RECT edit = RectInParent(Control(IDC_FOLDER));
  ASSERT_NE(GetPropA(Control(IDC_FOLDER), Dialog::kFrameProperty), nullptr);
  WindowPixels pixels = Repainted(IDC_FOLDER);
  const int x = (edit.left + edit.right) / 2, y = (edit.top + edit.bottom) / 2;
  EXPECT_EQ(pixels.At(x, edit.top - 1), kBlue);
  EXPECT_EQ(pixels.At(x, edit.top - 2), kBlue);
  EXPECT_EQ(pixels.At(edit.left - 1, y), kBlue);
  EXPECT_EQ(pixels.At(edit.left - 2, y), kBlue);
  EXPECT_EQ(pixels.At(x, edit.bottom), kLight);
  EXPECT_EQ(pixels.At(x, edit.bottom + 1), kLight);
  EXPECT_EQ(pixels.At(edit.right, y), kLight);
  EXPECT_EQ(pixels.At(edit.right + 1, y), kLight);
}

TEST_F(ControlStyleTest, EveryInputControlIsFramedAndLabelsAreNot) {
  for (int id : {IDC_FOLDER, IDC_CARD, IDC_FOUND, IDC_FILES, Dialog::kProgressBar, Dialog::kInformationText})
    EXPECT_NE(GetPropA(Control(id), Dialog::kFrameProperty), nullptr) << "control " << id;
  for (int id : {IDC_COPY_LIST, IDC_DELETED, Dialog::kStatusLine})
    EXPECT_EQ(GetPropA(Control(id), Dialog::kFrameProperty), nullptr) << "control " << id;
}

TEST_F(ControlStyleTest, AGreyRectangleBecomesASunkenPanel) {
  const RECT panel = RectInParent(Control(IDC_PANEL));
  WindowPixels pixels = Repainted(IDC_PANEL);
  const int y = (panel.top + panel.bottom) / 2;
  EXPECT_EQ(pixels.At(panel.left + 6, y), Palette::kPanelColour);
  EXPECT_EQ(pixels.At(panel.left, y), kBlue);
  EXPECT_EQ(pixels.At(panel.left + 1, y), kBlue);
  EXPECT_EQ(pixels.At(panel.right - 1, y), kLight);
  EXPECT_EQ(pixels.At(panel.right - 2, y), kLight);
}

TEST_F(ControlStyleTest, ADisabledBitmapButtonShowsItsImageInGrey) {
  SetImage(IDC_NEXT, IDB_NEXT);
  SetImage(IDC_BACK, IDB_BACK);
  const RECT next = Inset(RectInParent(Control(IDC_NEXT)), 3);
  const RECT back = Inset(RectInParent(Control(IDC_BACK)), 3);
  WindowPixels pixels = Repainted(IDC_NEXT);
  auto isGrey = [](COLORREF colour) { return colour == kGrey; };
  auto nearPanel = [](COLORREF colour) { return (colour & 0xF0F0F0) == (Palette::kPanelColour & 0xF0F0F0); };
  EXPECT_GT(CountWhere(pixels, next, isGrey), 100);
  EXPECT_EQ(CountWhere(pixels, next, [&](COLORREF c) { return !isGrey(c) && !nearPanel(c); }), 0);
  // The enabled one keeps its colours.
  pixels = Repainted(IDC_BACK);
  EXPECT_EQ(CountWhere(pixels, back, isGrey), 0);
  EXPECT_GT(CountWhere(pixels, back, [&](COLORREF c) { return !nearPanel(c); }), 100);
}

TEST_F(ControlStyleTest, ATextButtonIsBlueOnThePanelGreyWhenDisabledAndSunkenWhenPressed) {
  const RECT button = RectInParent(Control(IDC_COPY_LIST));
  WindowPixels pixels = Repainted(IDC_COPY_LIST);
  const int x = (button.left + button.right) / 2, y = (button.top + button.bottom) / 2;
  EXPECT_EQ(pixels.At(x, button.top), kLight);
  EXPECT_EQ(pixels.At(x, button.top + 1), kLight);
  EXPECT_EQ(pixels.At(button.left, y), kLight);
  EXPECT_EQ(pixels.At(x, button.bottom - 1), kBlue);
  EXPECT_EQ(pixels.At(button.right - 2, y), kBlue);
  EXPECT_EQ(pixels.At(button.left + 3, button.top + 3), Palette::kPanelColour);
  EXPECT_GT(CountWhere(pixels, Inset(button, 4), [](COLORREF c) { return c == kBlue; }), 10);

  const RECT disabled = Inset(RectInParent(Control(IDC_UNTICK)), 4);
  pixels = Repainted(IDC_UNTICK);
  EXPECT_EQ(CountWhere(pixels, disabled, [](COLORREF c) { return c == kBlue; }), 0);
  EXPECT_GT(CountWhere(pixels, disabled, [](COLORREF c) { return c == kGrey; }), 5);

  // Pressed, the edge is sunken.
  SendMessageA(Control(IDC_COPY_LIST), BM_SETSTATE, TRUE, 0);
  pixels = Repainted(IDC_COPY_LIST);
  EXPECT_EQ(pixels.At(x, button.top), kBlue);
  EXPECT_EQ(pixels.At(x, button.bottom - 1), kLight);
}

TEST_F(ControlStyleTest, ListRowsAreAsHighAsTheUiFont) {
  HWND list = Control(IDC_FOUND);
  HDC dc = GetDC(list);
  HGDIOBJ previous = SelectObject(dc, Main().Colours().UiFont());
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, previous);
  ReleaseDC(list, dc);
  // Measured while the template was still being made.
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), metrics.tmHeight);
}

TEST_F(ControlStyleTest, AnItemWiderThanItsListWidensTheHorizontalExtent) {
  HWND list = Control(IDC_FOUND);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("DCIM"));
  Repainted(IDC_FOUND);
  const LRESULT narrow = SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0);
  RECT client = {};
  GetClientRect(list, &client);
  EXPECT_LT(narrow, client.right);

  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kLongName));
  Repainted(IDC_FOUND);
  HDC dc = GetDC(list);
  HGDIOBJ previous = SelectObject(dc, Main().Colours().UiFont());
  SIZE size = {};
  GetTextExtentPoint32A(dc, kLongName, static_cast<int>(strlen(kLongName)), &size);
  SelectObject(dc, previous);
  ReleaseDC(list, dc);
  ASSERT_GT(size.cx, client.right);
  EXPECT_EQ(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0), size.cx + 5);
}

TEST_F(ControlStyleTest, TheSelectedRowOfAKeyboardListIsBlue) {
  HWND list = Control(IDC_FOUND);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("DCIM\t12 files"));
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("DCIM\t12 files"));
  SendMessageA(list, LB_SETCURSEL, 0, 0);
  WindowPixels pixels = Repainted(IDC_FOUND);
  const RECT rect = RectInParent(list);
  const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  auto isBlue = [](COLORREF c) { return c == kBlue; };
  const int selected = CountWhere(pixels, RECT{rect.left, rect.top, rect.right, rect.top + height}, isBlue);
  const int other = CountWhere(pixels, RECT{rect.left, rect.top + height, rect.right, rect.top + 2 * height}, isBlue);
  EXPECT_GT(selected, 2 * other);
  EXPECT_EQ(pixels.At(rect.right - 3, rect.top + height / 2), Palette::kPanelColour);
}

TEST_F(ControlStyleTest, TheListHeaderTakesTheProgramsColoursOnNewerSystems) {
  AddColumns();
  const RECT header = HeaderRect();
  WindowPixels pixels = Repainted(IDC_FILES);
  auto isBlue = [](COLORREF c) { return c == kBlue; };
  EXPECT_GT(CountWhere(pixels, header, isBlue), 10);

  TheContext().vistaOrLater = false;
  pixels = Repainted(IDC_FILES);
  EXPECT_EQ(CountWhere(pixels, header, isBlue), 0);
}

// Owner-drawn header items serve systems older than version 6.0; the header
// control of the suite's Wine does not show them, so the dialog is asked to
// draw one on a bitmap, as the header asks it through the list view.
TEST_F(ControlStyleTest, OwnerDrawnHeaderItemsArePaintedByTheDialog) {
  AddColumns();
  HWND list = Control(IDC_FILES);
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  BITMAPINFO info = TopDown32(150, 18);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  DRAWITEMSTRUCT draw = {};
  draw.CtlType = ODT_HEADER;
  draw.itemAction = ODA_DRAWENTIRE;
  draw.hwndItem = header;
  draw.hDC = memory;
  draw.rcItem = RECT{0, 0, 150, 18};
  auto count = [&](COLORREF colour) {
    int found = 0;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 150; ++x) found += GetPixel(memory, x, y) == colour ? 1 : 0;
    return found;
  };
  SendMessageA(list, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(GetPixel(memory, 3, 3), Palette::kPanelColour);
  EXPECT_GT(count(kBlue), 10);
  draw.itemState = ODS_SELECTED;
  SendMessageA(list, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw));
  EXPECT_EQ(GetPixel(memory, 3, 3), kBlue);
  EXPECT_GT(count(Palette::kPanelColour), 10);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
}

TEST_F(ControlStyleTest, ScreenshotOfEveryStyledControl) {
  SetImage(IDC_BROWSE, IDB_BROWSE);
  SetImage(IDC_REFRESH, IDB_REFRESH);
  SetImage(IDC_COPY, IDB_COPY);
  SetImage(IDC_CLEAR, IDB_CLEAR);
  SetImage(IDC_BACK, IDB_BACK);
  SetImage(IDC_NEXT, IDB_NEXT);
  SetWindowTextA(Control(IDC_FOLDER), "C:\\Users\\Anna\\Pictures\\Recovered");
  SetWindowTextA(Control(IDC_CARD), "Removable disk E: (7.45 GB)");
  HWND list = Control(IDC_FOUND);
  for (const char* row : {"DCIM\t12 files", "Rec00001.jpg\t3.52 MB\tcomplete", "Rec00002.jpg\t2.97 MB\tpartly",
                          kLongName})
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(row));
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  CheckDlgButton(step_->Handle(), IDC_DELETED, BST_CHECKED);
  AddColumns();
  HWND files = Control(IDC_FILES);
  const char* rows[][3] = {{"IMG_0001.JPG", "3.52 MB", "complete"}, {"IMG_0002.JPG", "2.97 MB", "deleted"}};
  for (int i = 0; i < 2; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>(rows[i][0]);
    SendMessageA(files, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int column = 1; column < 3; ++column) {
      item.iSubItem = column;
      item.pszText = const_cast<char*>(rows[i][column]);
      SendMessageA(files, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  step_->SetProgressRange(200, true);
  step_->SetProgressText(0, "Saving the image");
  step_->SetProgress(84);
  step_->SetStatusText(kTextNoDeviceChosen);
  RedrawWindow(Main().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpFor(1000);
  SaveScreenshot(Main().Handle(), "toolkit-every-control.png");
}
