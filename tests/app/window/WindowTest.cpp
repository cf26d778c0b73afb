// The real main window on the display, driven with window messages: where it
// opens, its shape, what it paints, how it answers the mouse, the device
// events, the colour messages and the services the dialogs use.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Bitmaps.h"
#include "Context.h"
#include "OwnResources.h"
#include "ShellTestSupport.h"
#include "TestFiles.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"
#include "Window.h"

namespace {

const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kDarkGrey = RGB(64, 64, 64);
const COLORREF kOlive = RGB(128, 128, 0);
const COLORREF kYellow = RGB(255, 255, 0);

// A stand-in for the current step dialog: counts the refresh commands.
class FakeDialog {
 public:
  FakeDialog() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &FakeDialog::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VantrelTestDialog";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, "VantrelTestDialog", "", WS_POPUP, 0, 0, 200, 100,
                              static_cast<HWND>(TheContext().mainWindowHandle), nullptr, GetModuleHandleA(nullptr),
                              nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~FakeDialog() {
    if (IsWindow(window_)) DestroyWindow(window_);
  }
  HWND Handle() const { return window_; }
  int refreshes = 0;
  ULONGLONG lastRefresh = 0;

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeDialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_COMMAND && LOWORD(wParam) == Window::kDevicesChangedCommand) {
      ++self->refreshes;
      self->lastRefresh = GetTickCount64();
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }
  HWND window_ = nullptr;
};

// Writes a 24-bit bitmap file of one colour with a see-through grey corner.
void WriteBitmapFile(const std::string& path, int width, int height, COLORREF colour) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + stride * height;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
  bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
  for (int row = height - 1; row >= 0; --row) {  // bottom-up
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      COLORREF pixel = (row == 0 && x < 4) ? RGB(192, 192, 192) : colour;
      line[x * 3] = static_cast<char>(GetBValue(pixel));
      line[x * 3 + 1] = static_cast<char>(GetGValue(pixel));
      line[x * 3 + 2] = static_cast<char>(GetRValue(pixel));
    }
    bytes += line;
  }
  WriteWholeFile(path, bytes);
}

COLORREF ResourcePixel(int bitmapId, int x, int y) {
  HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId));
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  COLORREF pixel = GetPixel(memory, x, y);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(bitmap);
  return pixel;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearSettings();
    TheContext().ownInstance = GetModuleHandleA(nullptr);
    TheContext().WindowTitle = "Vantrel";
    TheContext().WebsiteText = "https://www.talvenor.com/vantrel";
  }
  void TearDown() override {
    window_.reset();
    ClearSettings();
  }
  static void ClearSettings() {
    DeleteKey(HKEY_CURRENT_USER, kUserKey);
    DeleteKey(HKEY_LOCAL_MACHINE, kMachineKey);
  }

  Window& Open() {
    window_.reset(new Window);
    EXPECT_TRUE(window_->CreateMainWindow());
    return *window_;
  }
  HWND Handle() const { return window_->Handle(); }
  RECT ScreenRect() const {
    RECT rect = {};
    GetWindowRect(Handle(), &rect);
    return rect;
  }
  LRESULT HitTestAt(int x, int y) const {
    RECT rect = ScreenRect();
    return SendMessageA(Handle(), WM_NCHITTEST, 0, MAKELPARAM(rect.left + x, rect.top + y));
  }

  std::unique_ptr<Window> window_;
};

// Ends a message loop that would otherwise wait forever.
bool watchdogFired = false;
void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
  watchdogFired = true;
  PostQuitMessage(0);
}

}  // namespace

TEST_F(MainWindowTest, OpensAt700By500AtATenthOfTheWorkArea) {
  Open();
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT rect = ScreenRect();
  EXPECT_EQ(rect.left, work.right / 10);
  EXPECT_EQ(rect.top, work.bottom / 10);
  EXPECT_EQ(rect.right - rect.left, 700);
  EXPECT_EQ(rect.bottom - rect.top, 500);
  EXPECT_TRUE(IsWindowVisible(Handle()));
  EXPECT_EQ(TheContext().mainWindowHandle, Handle());
  EXPECT_EQ(TheContext().mainWindow, window_.get());
  char title[32] = {};
  GetWindowTextA(Handle(), title, sizeof title);
  EXPECT_STREQ(title, "Vantrel");
}

TEST_F(MainWindowTest, OpensWhereTheSettingsSay) {
  SetDwordValue(HKEY_CURRENT_USER, kUserKey, "PositionX", 40);
  SetDwordValue(HKEY_CURRENT_USER, kUserKey, "PositionY", 30);
  Open();
  RECT rect = ScreenRect();
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 30);
}

TEST_F(MainWindowTest, OnlyTheLowerCornersAreCurved) {
  Open();
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(Handle(), region), ERROR);
  EXPECT_TRUE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 699, 0));
  EXPECT_TRUE(PtInRegion(region, 0, 450));
  EXPECT_TRUE(PtInRegion(region, 350, 498));
  EXPECT_FALSE(PtInRegion(region, 0, 499));
  EXPECT_FALSE(PtInRegion(region, 699, 499));
  EXPECT_FALSE(PtInRegion(region, 3, 496));
  EXPECT_FALSE(PtInRegion(region, 696, 496));
  DeleteObject(region);
}

TEST_F(MainWindowTest, PaintsTheGradientBandsAndTheDarkStrip) {
  Open();
  WindowPixels pixels(Handle());
  ASSERT_EQ(pixels.Width(), 700);
  EXPECT_EQ(pixels.At(300, 30), RGB(197, 202, 187));   // band 3
  EXPECT_EQ(pixels.At(350, 200), RGB(161, 166, 151));  // band 20
  EXPECT_EQ(pixels.At(350, 460), RGB(106, 111, 96));   // band 46
  EXPECT_EQ(pixels.At(350, 485), RGB(104, 109, 94));   // the strip
  EXPECT_EQ(pixels.At(100, 480), RGB(104, 109, 94));
}

TEST_F(MainWindowTest, PaintsTheCaptionButtons) {
  Open();
  WindowPixels pixels(Handle());
  EXPECT_EQ(pixels.At(677, 18), kRed);
  EXPECT_EQ(pixels.At(680, 17), kDarkGrey);  // the middle of the cross
  EXPECT_EQ(pixels.At(684, 15), kDarkGrey);
  EXPECT_GT(pixels.Count(RECT{673, 10, 690, 27}, kRed), 60);
  EXPECT_EQ(pixels.At(655, 14), Palette::kPanelColour);
  EXPECT_EQ(pixels.At(658, 21), kDarkGrey);  // the minimise bar
  EXPECT_GT(pixels.Count(RECT{631, 12, 644, 25}, kDarkGrey), 5);  // the "?"
}

TEST_F(MainWindowTest, PaintsLogoBannerProductNameAndOutlines) {
  Open();
  WindowPixels pixels(Handle());
  EXPECT_EQ(pixels.At(35, 35), ResourcePixel(IDB_LOGO, 30, 30));
  // The banner is tiled from x = 3: its second tile starts one width on.
  const int tile = BitmapSize(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER))).cx;
  ASSERT_GT(tile, 10);
  EXPECT_EQ(pixels.At(3 + tile + 10, 72), ResourcePixel(IDB_BANNER, 10, 2));
  EXPECT_EQ(pixels.At(3 + 10, 77), ResourcePixel(IDB_BANNER, 10, 7));

  const POINT name = window_->Layout().productName;
  const RECT nameRect = {name.x, name.y, name.x + 150, 47};
  EXPECT_GT(pixels.Count(nameRect, RGB(0, 128, 255)), 40);
  EXPECT_GT(pixels.Count(nameRect, RGB(0, 0, 144)), 5);

  EXPECT_EQ(pixels.At(350, 1), kOlive);
  EXPECT_EQ(pixels.At(350, 3), kYellow);
  EXPECT_EQ(pixels.At(1, 200), kOlive);
  EXPECT_EQ(pixels.At(3, 200), kYellow);
}

TEST_F(MainWindowTest, TheTitleLineNamesStepOne) {
  Open();
  HWND title = window_->TitleLine().TextWindow();
  ASSERT_NE(title, nullptr);
  RECT rect = {};
  GetWindowRect(title, &rect);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 250);
  EXPECT_EQ(rect.top, 47);
  EXPECT_EQ(rect.right, 450);
  EXPECT_EQ(rect.bottom, 65);
  char text[100] = {};
  GetWindowTextA(title, text, sizeof text);
  EXPECT_EQ(std::string(text), LoadText(kTextStep1Title));
  EXPECT_TRUE(GetWindowLongPtrA(title, GWL_STYLE) & SS_CENTER);
  EXPECT_EQ(window_->StepNumber(), 1);
}

TEST_F(MainWindowTest, StepCommandsMoveTheTitleAndHelpContext) {
  WizardSources sources;
  Open();
  SendMessageA(Handle(), WM_COMMAND, 2003, 0);
  EXPECT_EQ(window_->StepNumber(), 3);
  char text[100] = {};
  GetWindowTextA(window_->TitleLine().TextWindow(), text, sizeof text);
  EXPECT_EQ(std::string(text), LoadText(kTextStep3Title));
  std::string trace = ReadWholeFile(TraceFilePath());
  EXPECT_NE(trace.find("Displaying Step 3 dialog\r\n"), std::string::npos);
}

TEST_F(MainWindowTest, CreationStartsANewTraceWithTheVersionLine) {
  TraceMessage("a line of the previous run");
  Open();
  std::string trace = ReadWholeFile(TraceFilePath());
  const std::string start = std::string("Vantrel ") + VANTREL_PRODUCT_VERSION + " : OS=";
  EXPECT_EQ(trace.compare(0, start.size(), start), 0) << trace;
  std::string product;
  ASSERT_TRUE(ReadRawText(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName",
                          product));
  EXPECT_NE(trace.find(" " + product + "\r\n"), std::string::npos) << trace;
  EXPECT_NE(ReadWholeFile(PreviousTraceFilePath()).find("a line of the previous run"), std::string::npos);
}

TEST_F(MainWindowTest, TheTopBandIsCaptionButtonsAndLogoAreClient) {
  Open();
  EXPECT_EQ(HitTestAt(300, 30), HTCAPTION);
  EXPECT_EQ(HitTestAt(600, 60), HTCAPTION);
  EXPECT_EQ(HitTestAt(681, 18), HTCLIENT);
  EXPECT_EQ(HitTestAt(640, 18), HTCLIENT);
  EXPECT_EQ(HitTestAt(30, 30), HTCLIENT);
  EXPECT_EQ(HitTestAt(300, 200), HTCLIENT);
}

TEST_F(MainWindowTest, TheCloseButtonEndsTheMessageLoop) {
  Open();
  watchdogFired = false;
  UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, &Watchdog);
  PostMessageA(Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(681, 18));
  window_->Run();
  KillTimer(nullptr, watchdog);
  EXPECT_FALSE(watchdogFired);
  EXPECT_EQ(window_->Handle(), nullptr);
  EXPECT_EQ(TheContext().mainWindowHandle, nullptr);
}

TEST_F(MainWindowTest, AltF4ClosesTheWindow) {
  Open();
  HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  ACCEL entries[8] = {};
  ASSERT_EQ(CopyAcceleratorTableA(table, entries, 8), 3);
  EXPECT_EQ(entries[0].key, VK_F4);
  EXPECT_EQ(entries[0].cmd, 105);
  EXPECT_EQ(entries[0].fVirt & (FVIRTKEY | FALT), FVIRTKEY | FALT);
  EXPECT_EQ(entries[1].key, '/');
  EXPECT_EQ(entries[2].key, '?');
  EXPECT_EQ(entries[2].cmd, 104);
  EXPECT_EQ(entries[2].fVirt & FALT, FALT);

  watchdogFired = false;
  UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, &Watchdog);
  PostMessageA(Handle(), WM_COMMAND, 105, 0);
  window_->Run();
  KillTimer(nullptr, watchdog);
  EXPECT_FALSE(watchdogFired);
  EXPECT_EQ(window_->Handle(), nullptr);
}

TEST_F(MainWindowTest, DeviceEventsWithin250MsGiveOneRefresh) {
  Open();
  FakeDialog dialog;
  window_->SetCurrentDialog(dialog.Handle());
  // No messages are handled between the events, so the timer cannot fire
  // in between, however slow the machine.
  SendMessageA(Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  Sleep(60);
  SendMessageA(Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  Sleep(60);
  SendMessageA(Handle(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
  const ULONGLONG last = GetTickCount64();
  ASSERT_TRUE(PumpUntil([&] { return dialog.refreshes > 0; }, 5000));
  // The tick count moves in steps of up to 16 ms.
  EXPECT_GE(dialog.lastRefresh - last, 250u - 16u);
  PumpFor(600);
  EXPECT_EQ(dialog.refreshes, 1);
}

TEST_F(MainWindowTest, ARemovalRefreshesToo) {
  Open();
  FakeDialog dialog;
  window_->SetCurrentDialog(dialog.Handle());
  SendMessageA(Handle(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
  EXPECT_TRUE(PumpUntil([&] { return dialog.refreshes == 1; }, 5000));
}

TEST_F(MainWindowTest, OtherDeviceEventsGiveNoRefresh) {
  Open();
  FakeDialog dialog;
  window_->SetCurrentDialog(dialog.Handle());
  SendMessageA(Handle(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  SendMessageA(Handle(), WM_DEVICECHANGE, DBT_DEVICEQUERYREMOVE, 0);
  PumpFor(600);
  EXPECT_EQ(dialog.refreshes, 0);
}

TEST_F(MainWindowTest, ControlColoursFollowTheControl) {
  Open();
  auto child = [&](int id, DWORD type) {
    return CreateWindowExA(0, "STATIC", "x", WS_CHILD | type, 0, 0, 10, 10, Handle(),
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  };
  HDC dc = CreateCompatibleDC(nullptr);
  auto colour = [&](HWND control, COLORREF& text, COLORREF& back) {
    LRESULT brush = SendMessageA(Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(control));
    text = GetTextColor(dc);
    back = GetBkColor(dc);
    return reinterpret_cast<HBRUSH>(brush);
  };
  const Palette& palette = window_->Colours();
  COLORREF text = 0, back = 0;
  EXPECT_EQ(colour(child(1004, SS_LEFT), text, back), palette.BackgroundBrush());
  EXPECT_EQ(text, RGB(128, 0, 0));
  EXPECT_EQ(back, Palette::kBackgroundColour);
  EXPECT_EQ(colour(child(7, SS_LEFT), text, back), palette.PanelBrush());
  EXPECT_EQ(text, Palette::kTextColour);
  EXPECT_EQ(back, Palette::kPanelColour);
  EXPECT_EQ(colour(child(8, SS_SIMPLE), text, back), palette.BackgroundBrush());
  EXPECT_EQ(back, Palette::kBackgroundColour);
  EXPECT_EQ(colour(child(0, SS_LEFT), text, back), palette.BackgroundBrush());
  EXPECT_EQ(text, Palette::kTextColour);

  EXPECT_EQ(SendMessageA(Handle(), WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH)));
  EXPECT_EQ(SendMessageA(Handle(), WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), 0),
            reinterpret_cast<LRESULT>(palette.BackgroundBrush()));
  DeleteDC(dc);
}

TEST_F(MainWindowTest, BusyPeriodsNestAndShowTheWaitCursor) {
  Open();
  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  window_->SetBusy(false);
  EXPECT_EQ(window_->BusyCount(), 0);
  EXPECT_EQ(GetCursor(), arrow);

  window_->SetBusy(true);
  window_->SetBusy(true);
  window_->SetBusy(false);
  EXPECT_EQ(window_->BusyCount(), 1);
  EXPECT_EQ(GetCursor(), wait);
  SetCursor(arrow);
  EXPECT_EQ(SendMessageA(Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(Handle()), MAKELPARAM(HTCLIENT, 0)),
            TRUE);
  EXPECT_EQ(GetCursor(), wait);

  window_->SetBusy(false);
  EXPECT_EQ(window_->BusyCount(), 0);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(MainWindowTest, StepDialogsSitBelowTheBannerAndFollowTheWindow) {
  Open();
  FakeDialog dialog;
  const int banner = BitmapSize(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_BANNER))).cy;
  ASSERT_GT(banner, 0);
  window_->PlaceStepDialog(dialog.Handle());
  RECT main = ScreenRect(), placed = {};
  GetWindowRect(dialog.Handle(), &placed);
  EXPECT_EQ(placed.left, main.left + 30);
  EXPECT_EQ(placed.top, main.top + banner + 70);
  EXPECT_EQ(placed.right - placed.left, 640);
  EXPECT_EQ(placed.bottom - placed.top, 500 - banner - 80);

  window_->SetCurrentDialog(dialog.Handle());
  SetWindowPos(Handle(), nullptr, 90, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(dialog.Handle(), &placed);
  EXPECT_EQ(placed.left, 120);
  EXPECT_EQ(placed.top, 80 + banner + 70);
}

TEST_F(MainWindowTest, SideDialogsAreCentredButStayOnTheDesktop) {
  Open();
  RECT desktop = {};
  GetWindowRect(GetDesktopWindow(), &desktop);
  FakeDialog dialog;
  SetWindowPos(dialog.Handle(), nullptr, 0, 0, 200, 100, SWP_NOMOVE | SWP_NOZORDER);
  window_->CenterOverMain(dialog.Handle());
  RECT main = ScreenRect(), box = {};
  GetWindowRect(dialog.Handle(), &box);
  EXPECT_EQ(box.left, (main.left + main.right) / 2 - 100);
  EXPECT_EQ(box.top, (main.top + main.bottom) / 2 - 50);

  SetWindowPos(Handle(), nullptr, desktop.right - 700, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SetWindowPos(dialog.Handle(), nullptr, 0, 0, 1000, 100, SWP_NOMOVE | SWP_NOZORDER);
  window_->CenterOverMain(dialog.Handle());
  GetWindowRect(dialog.Handle(), &box);
  EXPECT_EQ(box.right, desktop.right);

  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  window_->CenterOverMain(dialog.Handle());
  GetWindowRect(dialog.Handle(), &box);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 200);
}

TEST_F(MainWindowTest, ALogoFileOfAtMost70PixelsReplacesTheLogo) {
  const std::string folder = FreshFolder("shell-logo");
  WriteBitmapFile(folder + "\\small.bmp", 40, 30, RGB(200, 30, 30));
  SetTextValue(HKEY_LOCAL_MACHINE, kMachineKey, "LogoFile", folder + "\\small.bmp");
  Open();
  EXPECT_EQ(window_->Layout().logo.right, 45);
  EXPECT_EQ(window_->Layout().logo.bottom, 35);
  WindowPixels pixels(Handle());
  EXPECT_EQ(pixels.At(5, 5), Palette::kBackgroundColour);  // was the see-through grey
  EXPECT_EQ(pixels.At(20, 20), RGB(200, 30, 30));
}

TEST_F(MainWindowTest, ALogoFileHigherThan70PixelsIsIgnored) {
  const std::string folder = FreshFolder("shell-logo");
  WriteBitmapFile(folder + "\\tall.bmp", 40, 80, RGB(200, 30, 30));
  SetTextValue(HKEY_LOCAL_MACHINE, kMachineKey, "LogoFile", folder + "\\tall.bmp");
  Open();
  SIZE builtIn = BitmapSize(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_LOGO)));
  EXPECT_EQ(window_->Layout().logo.right, 5 + builtIn.cx);
  EXPECT_EQ(window_->Layout().logo.bottom, 5 + builtIn.cy);
  EXPECT_LE(builtIn.cy, 70);
}

TEST_F(MainWindowTest, TheWebsiteSettingReplacesTheBuiltInAddress) {
  SetTextValue(HKEY_LOCAL_MACHINE, kMachineKey, "Website", "https://help.example.org");
  Window window;
  EXPECT_STREQ(TheContext().WebsiteText.c_str(), "https://help.example.org");
}

TEST_F(MainWindowTest, TheFirstStartCreatesTheSettingsKey) {
  Window window;
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUserKey));
}

TEST(OwnResources, StringsOfTheExecutable) {
  TheContext().ownInstance = GetModuleHandleA(nullptr);
  EXPECT_EQ(OwnString(IDS_CLASS_NAME, 99), "VANTREL");
  EXPECT_EQ(OwnString(IDS_WINDOW_TITLE, 99), "Vantrel");
  EXPECT_EQ(OwnString(IDS_WEBSITE, 100).compare(0, 8, "https://"), 0);
  EXPECT_EQ(OwnString(IDS_UPDATES_PAGE, 200).compare(0, 8, "https://"), 0);
  EXPECT_EQ(OwnString(IDS_CLASS_NAME, 3), "VAN");
}

TEST(OwnResources, PicturesHaveTheirSizes) {
  HINSTANCE own = GetModuleHandleA(nullptr);
  SIZE logo = BitmapSize(LoadBitmapA(own, MAKEINTRESOURCEA(IDB_LOGO)));
  EXPECT_GT(logo.cy, 0);
  EXPECT_LE(logo.cy, 70);
  for (int id : {IDB_BANNER, IDB_BROWSE, IDB_BACK, IDB_NEXT, IDB_COPY, IDB_NEXT_DISABLED, IDB_REFRESH, IDB_CLEAR})
    EXPECT_GT(BitmapSize(LoadBitmapA(own, MAKEINTRESOURCEA(id))).cx, 0) << id;
  for (int size : {16, 32, 48, 256}) {
    HICON icon = static_cast<HICON>(LoadImageA(own, MAKEINTRESOURCEA(IDI_VANTREL), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    EXPECT_EQ(BitmapSize(info.hbmColor).cx, size);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
  EXPECT_NE(FindResourceA(own, MAKEINTRESOURCEA(147), "WAVE"), nullptr);
}

TEST(OwnResources, ButtonImagesShowThePanelThroughTheirGrey) {
  for (int id : {IDB_BROWSE, IDB_BACK, IDB_NEXT, IDB_COPY, IDB_NEXT_DISABLED, IDB_REFRESH, IDB_CLEAR})
    EXPECT_EQ(ResourcePixel(id, 0, 0), RGB(192, 192, 192)) << id;
}
