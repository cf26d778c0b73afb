// The driver's window pieces on windows of this test's own: the click it
// sends, what it reads, the step it finds and the picture it saves.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Press.h"
#include "Screenshot.h"
#include "Waiting.h"
#include "WindowQueries.h"

namespace {

const char kClass[] = "WizardDriverTestWindow";
const COLORREF kPaint = RGB(10, 200, 30);

struct Clicks {
  int count = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
Clicks clicks;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    ++clicks.count;
    clicks.wParam = wParam;
    clicks.lParam = lParam;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

class DriverWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(kPaint);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
    // An odd width: each BMP row is padded to four bytes.
    top_ = CreateWindowExA(WS_EX_TOPMOST, kClass, "top", WS_POPUP | WS_VISIBLE, 40, 30, 37, 23, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(top_, nullptr);
    clicks = Clicks();
    Pump();
  }
  void TearDown() override {
    DestroyWindow(top_);
    UnregisterClassA(kClass, GetModuleHandleA(nullptr));
  }
  HWND Child(const char* className, int id, bool visible) {
    return CreateWindowExA(0, className, "", WS_CHILD | (visible ? WS_VISIBLE : 0), 0, 0, 10, 10, top_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
  }
  HWND top_ = nullptr;
};

}  // namespace

TEST_F(DriverWindows, PressTellsTheDialogOfTheClickAsTheButtonWould) {
  HWND button = Child("Button", 1005, true);
  Press press(top_, 1005);
  ASSERT_TRUE(press.Started());
  // The dialog answers on this thread, so this thread serves the send.
  ASSERT_TRUE(WaitUntil(
      [&] {
        Pump();
        return press.Handled();
      },
      5000));
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(clicks.wParam, MAKEWPARAM(1005, BN_CLICKED));
  EXPECT_EQ(clicks.lParam, reinterpret_cast<LPARAM>(button));
}

TEST_F(DriverWindows, PressRefusesWhatAUserCouldNotClick) {
  EnableWindow(Child("Button", 1, true), FALSE);
  Child("Button", 2, false);
  for (int id : {1, 2, 3}) {
    Press press(top_, id);
    EXPECT_FALSE(press.Started()) << id;
  }
  Pump();
  EXPECT_EQ(clicks.count, 0);
}

TEST_F(DriverWindows, TextsAreReadWholeUpToTheirLimit) {
  HWND line = Child("Static", 1004, true);
  SetWindowTextA(line, "16 files were copied to Z:\\out.");
  EXPECT_EQ(TextOf(line), "16 files were copied to Z:\\out.");
  SetWindowTextA(line, "");
  EXPECT_EQ(TextOf(line), "");
  const std::string longText(10000, 'x');
  SetWindowTextA(line, longText.c_str());
  EXPECT_EQ(TextOf(line), std::string(8192, 'x'));
  EXPECT_EQ(TextOf(nullptr), "");
}

TEST_F(DriverWindows, TheStepIsTheVisibleChildDialog) {
  Child("#32770", 0, false);
  EXPECT_EQ(ChildDialogOf(top_), nullptr);
  HWND shown = Child("#32770", 0, true);
  EXPECT_EQ(ChildDialogOf(top_), shown);
  EXPECT_EQ(TopWindowOf(GetCurrentProcessId(), kClass), top_);
  EXPECT_EQ(TopWindowOf(GetCurrentProcessId() + 4, kClass), nullptr);
}

TEST_F(DriverWindows, TheScreenshotIsABmpOfWhatTheWindowShows) {
  char folder[MAX_PATH] = {};
  ASSERT_NE(GetTempPathA(MAX_PATH, folder), 0u);
  const std::string path = std::string(folder) + "wizard-driver-shot.bmp";
  UpdateWindow(top_);
  Pump();
  ASSERT_TRUE(SaveScreenshot(top_, nullptr, path));
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::vector<unsigned char> bytes(8192);
  DWORD read = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  DeleteFileA(path.c_str());
  const std::size_t headers = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  const std::size_t stride = (37 * 3 + 3) / 4 * 4;
  ASSERT_EQ(read, headers + stride * 23);
  BITMAPFILEHEADER fileHeader;
  BITMAPINFOHEADER info;
  memcpy(&fileHeader, bytes.data(), sizeof fileHeader);
  memcpy(&info, bytes.data() + sizeof fileHeader, sizeof info);
  EXPECT_EQ(fileHeader.bfType, 0x4D42);
  EXPECT_EQ(fileHeader.bfSize, read);
  EXPECT_EQ(fileHeader.bfOffBits, headers);
  EXPECT_EQ(info.biWidth, 37);
  EXPECT_EQ(info.biHeight, 23);
  EXPECT_EQ(info.biBitCount, 24);
  // The last pixel of the middle row, next to the padding: blue, green, red.
  const unsigned char* pixel = bytes.data() + headers + stride * 11 + 36 * 3;
  EXPECT_EQ(pixel[0], GetBValue(kPaint));
  EXPECT_EQ(pixel[1], GetGValue(kPaint));
  EXPECT_EQ(pixel[2], GetRValue(kPaint));
}

TEST_F(DriverWindows, NoScreenshotOfNoWindowOrIntoNoFolder) {
  EXPECT_FALSE(SaveScreenshot(nullptr, nullptr, "C:\\unused.bmp"));
  EXPECT_FALSE(SaveScreenshot(top_, nullptr, "C:\\no\\such\\folder\\shot.bmp"));
}
