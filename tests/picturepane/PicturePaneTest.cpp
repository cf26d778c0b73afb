// The picture library under Wine's imaging component: every format the
// samples come in decodes to its size and draws upright and whole; cut,
// random and lying data fail or show what is there; the related THM of a
// camera clip is named only when asked; COM is left as the thread had it.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

#include "PaneTestSupport.h"
#include "PicturePane.h"

namespace {

bool Load(PicturePane& pane, const std::string& bytes) {
  return pane.LoadPicture(bytes.data(), static_cast<uint32_t>(bytes.size()), true);
}

RECT Whole(const Drawing& drawing) { return {0, 0, drawing.Width(), drawing.Height()}; }

::testing::AssertionResult DrawsQuarters(const PicturePane& pane, int width, int height) {
  const Drawing drawing(pane, width, height);
  return ShowsQuarters([&](int x, int y) { return drawing.At(x, y); }, Whole(drawing));
}

// The offset of a JPEG's frame header (baseline or progressive).
std::size_t FrameHeader(const std::string& jpeg) {
  for (std::size_t at = 2; at + 9 < jpeg.size(); ++at)
    if (static_cast<uint8_t>(jpeg[at]) == 0xFF && (static_cast<uint8_t>(jpeg[at + 1]) & 0xFE) == 0xC0) return at;
  return 0;
}

std::string WithSize(std::string jpeg, uint16_t width, uint16_t height) {
  const std::size_t at = FrameHeader(jpeg);
  jpeg[at + 5] = static_cast<char>(height >> 8), jpeg[at + 6] = static_cast<char>(height);
  jpeg[at + 7] = static_cast<char>(width >> 8), jpeg[at + 8] = static_cast<char>(width);
  return jpeg;
}

struct Format {
  const char* file;
  int width, height;
};

TEST(PicturePaneTest, EveryFormatDecodesToItsSizeAndDrawsUprightAndWhole) {
  const Format formats[] = {{"pane-64x32.jpg", 64, 32},      {"pane-4000x3000.jpg", 4000, 3000},
                            {"pane-progressive.jpg", 640, 480}, {"pane.bmp", 64, 32},
                            {"pane.gif", 64, 32},            {"pane-ii.tif", 64, 32},
                            {"pane-mm.tif", 64, 32},         {"pane-portrait.jpg", 300, 400},
                            {"MVI_0001.THM", 160, 120}};
  for (const Format& format : formats) {
    SCOPED_TRACE(format.file);
    PicturePane pane;
    ASSERT_TRUE(Load(pane, Sample(format.file))) << pane.ErrorCode();
    EXPECT_EQ(pane.Width(), format.width);
    EXPECT_EQ(pane.Height(), format.height);
    // At its own size, and shrunk as a preview shrinks a photo.
    EXPECT_TRUE(DrawsQuarters(pane, std::min(format.width, 800), std::min(format.height, 800)));
    EXPECT_TRUE(DrawsQuarters(pane, format.width / 3, format.height / 3));
  }
}

TEST(PicturePaneTest, TransparencyShowsThePanelColour) {
  PicturePane pane;
  ASSERT_TRUE(Load(pane, Sample("pane-alpha.png")));
  ASSERT_EQ(pane.Width(), 64);
  const Drawing drawing(pane, 64, 32);
  // Half-transparent lime over RGB(224, 227, 219), then the panel itself.
  EXPECT_TRUE(Near(drawing.At(10, 10), RGB(112, 241, 110), 4));
  EXPECT_TRUE(Near(drawing.At(50, 10), RGB(224, 227, 219), 2));
}

TEST(PicturePaneTest, DrawsIntoTheRectangleOnlyAndRefusesAnEmptyOne) {
  PicturePane pane;
  ASSERT_TRUE(Load(pane, Sample("pane.bmp")));
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(pane.Display(dc, 0, 0, 0, 10, 0, 0, -1, -1));
  EXPECT_FALSE(pane.Display(dc, 0, 0, 10, -5, 0, 0, -1, -1));
  EXPECT_FALSE(pane.Display(dc, 0, 0, 10, 10, 0, 0, 65, 10));
  DeleteDC(dc);
  const RECT target = {10, 8, 74, 40};
  const Drawing framed(pane, 100, 60, target);
  EXPECT_TRUE(ShowsQuarters([&](int x, int y) { return framed.At(x, y); }, target));
  EXPECT_EQ(framed.At(9, 8), kMagenta);
  EXPECT_EQ(framed.At(10, 7), kMagenta);
  EXPECT_EQ(framed.At(74, 39), kMagenta);
  EXPECT_EQ(framed.At(73, 40), kMagenta);
}

TEST(PicturePaneTest, AJpegCutAtHalfItsLengthShowsItsTopHalf) {
  std::string photo = Sample("pane-landscape.jpg");
  photo.resize(photo.size() / 2);
  PicturePane pane;
  ASSERT_TRUE(Load(pane, photo)) << pane.ErrorCode();
  EXPECT_EQ(pane.Width(), 1600);
  EXPECT_EQ(pane.Height(), 1200);
  const Drawing drawing(pane, 400, 300);
  EXPECT_TRUE(Near(drawing.At(50, 30), kRed));
  EXPECT_TRUE(Near(drawing.At(350, 30), kLime));
  // What could not be decoded is neither quarter of the lower half.
  EXPECT_FALSE(Near(drawing.At(50, 290), kBlue));
  EXPECT_FALSE(Near(drawing.At(350, 290), kYellow));
}

TEST(PicturePaneTest, NoDataRandomBytesAndAbsurdSizesFailAndLeaveNothingToDraw) {
  std::string random(20000, '\0');
  uint32_t state = 12345;
  for (char& c : random) c = static_cast<char>((state = state * 1103515245 + 12345) >> 24);
  const std::string jpeg = Sample("pane-64x32.jpg");
  ASSERT_NE(FrameHeader(jpeg), 0u);
  const std::string cases[] = {random, WithSize(jpeg, 60000, 60000), WithSize(jpeg, 65535, 65535),
                               WithSize(jpeg, 0, 32), WithSize(jpeg, 64, 0)};
  for (const std::string& bytes : cases) {
    PicturePane pane;
    EXPECT_FALSE(Load(pane, bytes));
    EXPECT_NE(pane.ErrorCode(), PicturePane::kNoError);
    EXPECT_NE(pane.ErrorCode(), PicturePane::kRelatedFile);
    EXPECT_EQ(pane.Width(), 0);
    EXPECT_FALSE(DrawsQuarters(pane, 64, 32));
  }
  PicturePane pane;
  EXPECT_FALSE(pane.LoadPicture(jpeg.data(), 0, true));
  EXPECT_EQ(pane.ErrorCode(), PicturePane::kNoData);
  EXPECT_FALSE(pane.LoadPicture(nullptr, 100, true));
  EXPECT_EQ(pane.ErrorCode(), PicturePane::kNoData);
}

TEST(PicturePaneTest, AFailedLoadReleasesTheEarlierPicture) {
  PicturePane pane;
  ASSERT_TRUE(Load(pane, Sample("pane-64x32.jpg")));
  EXPECT_FALSE(Load(pane, std::string(100, 'x')));
  EXPECT_EQ(pane.Width(), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_FALSE(pane.Display(dc, 0, 0, 64, 32, 0, 0, -1, -1));
  DeleteDC(dc);
}

TEST(PicturePaneTest, ThePictureOutlivesTheCallersBuffer) {
  PicturePane pane;
  {
    std::string bytes = Sample("pane-portrait.jpg");
    ASSERT_TRUE(Load(pane, bytes));
    std::fill(bytes.begin(), bytes.end(), '\0');
  }
  EXPECT_TRUE(DrawsQuarters(pane, 300, 400));
}

TEST(PicturePaneTest, ACameraClipNamesItsThmOnlyWithTheRelatedFileOption) {
  const std::string clip = Sample("pane-clip.avi");
  PicturePane asked;
  asked.SetRelatedFileOption(1);
  EXPECT_FALSE(Load(asked, clip));
  EXPECT_EQ(asked.ErrorCode(), PicturePane::kRelatedFile);
  EXPECT_STREQ(asked.ErrorText(), "MVI_0001.THM");

  PicturePane notAsked;
  EXPECT_FALSE(Load(notAsked, clip));
  EXPECT_NE(notAsked.ErrorCode(), PicturePane::kRelatedFile);
  // A picture never answers 99, with the option or without.
  PicturePane picture;
  picture.SetRelatedFileOption(1);
  EXPECT_TRUE(Load(picture, Sample("MVI_0001.THM")));
  EXPECT_FALSE(Load(picture, Sample("clip.avi")));
  EXPECT_NE(picture.ErrorCode(), PicturePane::kRelatedFile);
}

// A raw file as cameras build them: a TIFF directory for sensor data in a
// compression no decoder knows, and the offset and length of its preview.
std::string RawAround(const std::string& preview) {
  std::string raw("II*\0\x08\0\0\0", 8);
  const auto put16 = [&](uint32_t v) { raw += static_cast<char>(v), raw += static_cast<char>(v >> 8); };
  const auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
  const auto entry = [&](uint16_t tag, uint16_t type, uint32_t value) {
    put16(tag), put16(type), put32(1), type == 3 ? (put16(value), put16(0)) : put32(value);
  };
  const uint32_t previewAt = 8 + 2 + 6 * 12 + 4;
  put16(6);
  entry(0x0100, 3, 5184), entry(0x0101, 3, 3456), entry(0x0103, 3, 34713), entry(0x0112, 3, 1);
  entry(0x0201, 4, previewAt), entry(0x0202, 4, static_cast<uint32_t>(preview.size()));
  put32(0);
  return raw + preview + std::string(5000, '\x5A');
}

TEST(PicturePaneTest, ARawFileShowsItsEmbeddedPreview) {
  PicturePane pane;
  ASSERT_TRUE(Load(pane, RawAround(Sample("pane-64x32.jpg")))) << pane.ErrorCode();
  EXPECT_EQ(pane.Width(), 64);
  EXPECT_EQ(pane.Height(), 32);
  EXPECT_TRUE(DrawsQuarters(pane, 64, 32));
}

// The load's own COM must not change what the thread had.
TEST(PicturePaneTest, LeavesTheThreadsComAsItWas) {
  const std::string photo = Sample("pane-64x32.jpg");
  std::thread([&] {
    PicturePane pane;
    EXPECT_TRUE(Load(pane, photo));
    const HRESULT fresh = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(fresh, S_OK) << "the load left COM initialised";
    if (SUCCEEDED(fresh)) CoUninitialize();
  }).join();
  std::thread([&] {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    PicturePane pane;
    EXPECT_TRUE(Load(pane, photo));
    const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    EXPECT_EQ(again, S_FALSE) << "the thread's own COM is gone";
    if (SUCCEEDED(again)) CoUninitialize();
    CoUninitialize();
  }).join();
}

}  // namespace
