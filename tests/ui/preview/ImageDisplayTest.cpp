// The picture preview over the real main window, with pictures of the test's
// choosing: its size in the work area, the picture upright and whole in
// what the window shows, closing by a click or Esc with the owner active
// again, screenshots of a landscape, a portrait and a damaged photo, and no
// window for data that is no picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "ImageDisplay.h"
#include "PaneTestSupport.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"

namespace {

constexpr char kTitle[] = "Picture";

TEST(FitToWorkAreaTest, APictureThatFitsShowsAtItsOwnSizeInAWindowSizedToIt) {
  const PreviewLayout layout = ImageDisplay::FitToWorkArea(300, 400, {1024, 768}, {8, 30});
  EXPECT_EQ(layout.displayWidth, 300);
  EXPECT_EQ(layout.displayHeight, 400);
  EXPECT_EQ(layout.windowWidth, 300 + 4 + 8);
  EXPECT_EQ(layout.windowHeight, 400 + 4 + 30);
  const PreviewLayout tiny = ImageDisplay::FitToWorkArea(16, 8, {1024, 768}, {8, 30});
  EXPECT_EQ(tiny.displayWidth, 16);
  EXPECT_EQ(tiny.windowWidth, ImageDisplay::kSmallestWidth);
  EXPECT_EQ(tiny.windowHeight, ImageDisplay::kSmallestHeight);
}

// Shrunk with its proportions as far as the window, frame and border
// included, fits: a picture a little larger than the work area too.
TEST(FitToWorkAreaTest, ALargerPictureIsShrunkUntilTheWholeWindowFits) {
  const SIZE work = {1024, 768}, frame = {8, 30};
  const uint32_t sizes[][2] = {{1040, 700}, {4000, 3000}, {3000, 4000}, {65535, 1}, {1, 65535}, {1050, 780}};
  for (const auto& size : sizes) {
    const PreviewLayout layout = ImageDisplay::FitToWorkArea(size[0], size[1], work, frame);
    SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    EXPECT_LE(layout.windowWidth, work.cx);
    EXPECT_LE(layout.windowHeight, work.cy);
    EXPECT_GE(layout.displayWidth, 1);
    EXPECT_GE(layout.displayHeight, 1);
    EXPECT_TRUE(layout.windowWidth == work.cx || layout.windowHeight == work.cy ||
                layout.windowWidth == ImageDisplay::kSmallestWidth ||
                layout.windowHeight == ImageDisplay::kSmallestHeight);
    const double wanted = double(size[0]) / size[1], shown = double(layout.displayWidth) / layout.displayHeight;
    if (layout.displayWidth > 50 && layout.displayHeight > 50) {
      EXPECT_NEAR(shown / wanted, 1.0, 0.01);
    }
  }
}

TEST(FitToWorkAreaTest, NoSizeAndNoRoomDivideByNothing) {
  const PreviewLayout none = ImageDisplay::FitToWorkArea(0, 0, {1024, 768}, {8, 30});
  EXPECT_EQ(none.windowWidth, ImageDisplay::kSmallestWidth);
  const PreviewLayout cramped = ImageDisplay::FitToWorkArea(4000, 3000, {0, 0}, {8, 30});
  EXPECT_GE(cramped.displayWidth, 1);
  EXPECT_GE(cramped.displayHeight, 1);
}

class ImageDisplayTest : public StepStage {
 protected:
  // Opens the preview of bytes over step 1, runs look inside it, then closes
  // it with close; false when the window did not come or did not close.
  bool Preview(const std::string& bytes, const std::function<void(HWND)>& look,
               const std::function<void(HWND)>& close) {
    ImageDisplay preview(StepWindow());
    if (!preview.LoadPictureData(bytes.data(), static_cast<uint32_t>(bytes.size()))) return false;
    INT_PTR code = -2;
    const bool came = AnswerDialogWhileItRuns(
        kTitle,
        [&](HWND dialog) {
          PumpFor(200);
          look(dialog);
          close(dialog);
        },
        [&] { code = preview.RunModal(); }, 8000);
    display_ = {preview.DisplayWidth(), preview.DisplayHeight()};
    return came && code == 0;
  }

  // The window fits the work area; its client area is the picture and the
  // border; the picture shows upright and whole.
  void ExpectWholeUprightPicture(HWND dialog) {
    RECT work = {}, outer = {}, client = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &client);
    EXPECT_LE(outer.right - outer.left, work.right - work.left);
    EXPECT_LE(outer.bottom - outer.top, work.bottom - work.top);
    ImageDisplay* self = static_cast<ImageDisplay*>(reinterpret_cast<Dialog*>(GetPropA(dialog, "Object")));
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(client.right, self->DisplayWidth() + 2 * ImageDisplay::kBorder);
    EXPECT_EQ(client.bottom, self->DisplayHeight() + 2 * ImageDisplay::kBorder);
    const WindowPixels pixels(dialog);
    const RECT picture = {2, 2, 2 + self->DisplayWidth(), 2 + self->DisplayHeight()};
    EXPECT_TRUE(ShowsQuarters([&](int x, int y) { return pixels.At(x, y); }, picture));
  }

  static void ClickInside(HWND dialog) { PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(10, 10)); }
  static void PressEscape(HWND dialog) { PostMessageA(dialog, WM_KEYDOWN, VK_ESCAPE, 0); }

  // The step that opened the preview can be used again.
  void ExpectOwnerBack() {
    PumpFor(100);
    EXPECT_TRUE(IsWindowEnabled(StepWindow()));
    EXPECT_TRUE(IsWindowEnabled(Main().Handle()));
    const HWND active = GetActiveWindow();
    EXPECT_TRUE(active == Main().Handle() || active == StepWindow());
  }

  SIZE display_ = {};
};

TEST_F(ImageDisplayTest, ALandscapePhotoIsShrunkToTheWorkAreaAndClosesOnAClick) {
  ASSERT_TRUE(Preview(Sample("pane-landscape.jpg"),
                      [&](HWND dialog) {
                        ExpectWholeUprightPicture(dialog);
                        SaveScreenshot(dialog, "preview-landscape.png");
                      },
                      ClickInside));
  EXPECT_LT(display_.cx, 1600);
  EXPECT_NEAR(double(display_.cx) / display_.cy, 4.0 / 3.0, 0.01);
  ExpectOwnerBack();
}

TEST_F(ImageDisplayTest, APortraitPhotoStandsUprightAtItsOwnSizeAndClosesOnEsc) {
  ASSERT_TRUE(Preview(Sample("pane-portrait.jpg"),
                      [&](HWND dialog) {
                        ExpectWholeUprightPicture(dialog);
                        SaveScreenshot(dialog, "preview-portrait.png");
                      },
                      PressEscape));
  EXPECT_EQ(display_.cx, 300);
  EXPECT_EQ(display_.cy, 400);
  ExpectOwnerBack();
}

TEST_F(ImageDisplayTest, ADamagedPhotoShowsWhatIsLeftOfIt) {
  std::string photo = Sample("pane-landscape.jpg");
  photo.resize(photo.size() / 2);
  ASSERT_TRUE(Preview(photo,
                      [&](HWND dialog) {
                        const WindowPixels pixels(dialog);
                        EXPECT_TRUE(Near(pixels.At(20, 20), kRed));
                        EXPECT_TRUE(Near(pixels.At(pixels.Width() - 20, 20), kLime));
                        EXPECT_FALSE(Near(pixels.At(20, pixels.Height() - 20), kBlue));
                        SaveScreenshot(dialog, "preview-damaged.png");
                      },
                      ClickInside));
  ExpectOwnerBack();
}

TEST_F(ImageDisplayTest, DataThatIsNoPictureOpensNoWindow) {
  const std::string cases[] = {std::string(5000, '\x37'), std::string(), Sample("pane-clip.avi")};
  for (const std::string& bytes : cases) {
    ImageDisplay preview(StepWindow());
    EXPECT_FALSE(preview.LoadPictureData(bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(preview.Handle(), nullptr);
    EXPECT_EQ(FindWindowA("#32770", kTitle), nullptr);
  }
}

}  // namespace
