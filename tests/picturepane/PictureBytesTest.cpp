// The picture library's byte readers on small byte arrays: the orientation
// tag in TIFF and in a JPEG's EXIF segment, turning pixels upright, the end
// marker of a cut JPEG, the preview inside a raw file and the THM name of a
// camera clip, each with data that lies about its offsets and sizes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "DecoderInput.h"
#include "EmbeddedPreview.h"
#include "ExifOrientation.h"
#include "PictureSize.h"
#include "RelatedPicture.h"
#include "SectorWindow.h"
#include "UprightPixels.h"

namespace {

using Bytes = std::vector<uint8_t>;

SectorWindow View(const Bytes& bytes) { return SectorWindow(bytes.data(), bytes.size()); }

void Put16(Bytes& b, std::size_t at, uint32_t v, bool big) {
  b[at] = static_cast<uint8_t>(big ? v >> 8 : v);
  b[at + 1] = static_cast<uint8_t>(big ? v : v >> 8);
}
void Put32(Bytes& b, std::size_t at, uint32_t v, bool big) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (big ? 24 - 8 * i : 8 * i));
}

struct Entry {
  uint16_t tag, type;
  uint32_t count, value;
};

// A TIFF header and one directory at offset 8 holding the entries.
Bytes Tiff(const std::vector<Entry>& entries, bool big, std::size_t size = 256) {
  Bytes b(size, 0);
  b[0] = b[1] = big ? 'M' : 'I';
  Put16(b, 2, 42, big);
  Put32(b, 4, 8, big);
  Put16(b, 8, static_cast<uint32_t>(entries.size()), big);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = 10 + 12 * i;
    Put16(b, at, entries[i].tag, big);
    Put16(b, at + 2, entries[i].type, big);
    Put32(b, at + 4, entries[i].count, big);
    if (entries[i].type == 3 && entries[i].count == 1)
      Put16(b, at + 8, entries[i].value, big);
    else
      Put32(b, at + 8, entries[i].value, big);
  }
  return b;
}

// A JPEG start with an APP1 EXIF segment holding the TIFF block.
Bytes JpegWithExif(const Bytes& tiff) {
  Bytes b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xE1};
  const std::size_t length = 2 + 6 + tiff.size();
  b.push_back(static_cast<uint8_t>(length >> 8));
  b.push_back(static_cast<uint8_t>(length));
  for (char c : std::string("Exif\0\0", 6)) b.push_back(static_cast<uint8_t>(c));
  b.insert(b.end(), tiff.begin(), tiff.end());
  for (uint8_t c : {0xFF, 0xDA, 0x00, 0x02, 0xFF, 0xD9}) b.push_back(c);
  return b;
}

TEST(ExifOrientationTest, ReadsTheTagInBothByteOrdersAndInsideAJpeg) {
  for (bool big : {false, true}) {
    EXPECT_EQ(ExifOrientation(View(Tiff({{0x0100, 3, 1, 64}, {0x0112, 3, 1, 6}}, big))), 6) << big;
    EXPECT_EQ(ExifOrientation(View(JpegWithExif(Tiff({{0x0112, 3, 1, 8}}, big)))), 8) << big;
  }
}

TEST(ExifOrientationTest, UprightWhenTheTagIsMissingOutOfRangeOrBroken) {
  EXPECT_EQ(ExifOrientation(View(Tiff({{0x0100, 3, 1, 64}}, false))), 1);
  EXPECT_EQ(ExifOrientation(View(Tiff({{0x0112, 3, 1, 9}}, false))), 1);
  EXPECT_EQ(ExifOrientation(View(Tiff({{0x0112, 3, 1, 0}}, true))), 1);
  // An entry count that runs past the data.
  Bytes b = Tiff({{0x0112, 3, 1, 6}}, false, 24);
  Put16(b, 8, 500, false);
  EXPECT_EQ(ExifOrientation(View(b)), 1);
  // A first directory outside the data.
  b = Tiff({{0x0112, 3, 1, 6}}, false);
  Put32(b, 4, 0xFFFFFFF0, false);
  EXPECT_EQ(ExifOrientation(View(b)), 1);
  // An EXIF segment whose length runs past the end.
  b = JpegWithExif(Tiff({{0x0112, 3, 1, 6}}, false));
  b[10] = 0xFF;
  EXPECT_EQ(ExifOrientation(View(b)), 1);
  EXPECT_EQ(ExifOrientation(View(Bytes{0xFF, 0xD8})), 1);
}

// A 3 x 2 picture numbered row by row: 1 2 3 / 4 5 6.
TEST(UprightPixelsTest, TurnsAndMirrorsAsTheTagSays) {
  const std::vector<uint32_t> stored = {1, 2, 3, 4, 5, 6};
  const std::vector<std::vector<uint32_t>> expected = {
      {1, 2, 3, 4, 5, 6}, {3, 2, 1, 6, 5, 4}, {6, 5, 4, 3, 2, 1}, {4, 5, 6, 1, 2, 3},
      {1, 4, 2, 5, 3, 6}, {4, 1, 5, 2, 6, 3}, {6, 3, 5, 2, 4, 1}, {3, 6, 2, 5, 1, 4}};
  for (int orientation = 1; orientation <= 8; ++orientation) {
    std::vector<uint32_t> upright(6);
    WriteUpright(stored.data(), 3, 2, orientation, upright.data());
    EXPECT_EQ(upright, expected[orientation - 1]) << orientation;
  }
}

TEST(DecoderInputTest, AJpegCutShortGetsItsEndMarkerOthersStayAsTheyAre) {
  const Bytes cut = {0xFF, 0xD8, 0xFF, 0xDB, 0x12};
  Bytes ended = cut;
  ended.insert(ended.end(), {0xFF, 0xD9});
  EXPECT_EQ(DecoderInput(View(cut)), ended);
  EXPECT_EQ(DecoderInput(View(ended)), ended);
  const Bytes png = {0x89, 'P', 'N', 'G'};
  EXPECT_EQ(DecoderInput(View(png)), png);
}

// A raw file: its directory points at a JPEG (FF D8 FF ...) at offset 128.
TEST(EmbeddedPreviewTest, FindsTheLargestJpegThatLiesInsideTheData) {
  for (bool big : {false, true}) {
    Bytes raw = Tiff({{0x0103, 3, 1, 34713}, {0x0201, 4, 1, 128}, {0x0202, 4, 1, 100}}, big);
    raw[128] = 0xFF, raw[129] = 0xD8, raw[130] = 0xFF;
    PreviewRange preview;
    ASSERT_TRUE(FindEmbeddedPreview(View(raw), preview)) << big;
    EXPECT_EQ(preview.offset, 128u);
    EXPECT_EQ(preview.length, 100u);
  }
}

TEST(EmbeddedPreviewTest, IgnoresRangesPastTheEndAndDataThatIsNoJpeg) {
  Bytes raw = Tiff({{0x0201, 4, 1, 128}, {0x0202, 4, 1, 0xFFFFFF00}}, false);
  raw[128] = 0xFF, raw[129] = 0xD8, raw[130] = 0xFF;
  PreviewRange preview;
  EXPECT_FALSE(FindEmbeddedPreview(View(raw), preview));
  raw = Tiff({{0x0201, 4, 1, 128}, {0x0202, 4, 1, 100}}, false);
  EXPECT_FALSE(FindEmbeddedPreview(View(raw), preview));
  // A directory chain that points back at itself ends.
  raw = Tiff({{0x0201, 4, 1, 128}}, false);
  Put32(raw, 10 + 12, 8, false);
  EXPECT_FALSE(FindEmbeddedPreview(View(raw), preview));
  EXPECT_FALSE(FindEmbeddedPreview(View(Bytes{0xFF, 0xD8, 0xFF}), preview));
}

// The sizes headers claim, read before a decoder allocates for them.
TEST(PictureSizeTest, ReadsTheClaimedSizeOfEveryFormat) {
  ClaimedSize size;
  Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xC2, 0x00, 0x11, 0x08, 0xEA, 0x60, 0xEA, 0x60, 0x03};
  jpeg.resize(24, 0);
  ASSERT_TRUE(ReadClaimedSize(View(jpeg), size));
  EXPECT_EQ(size.width, 60000u);
  EXPECT_EQ(size.height, 60000u);
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 1, 0, 0, 0, 0, 0, 7};
  ASSERT_TRUE(ReadClaimedSize(View(png), size));
  EXPECT_EQ(size.width, 65536u);
  EXPECT_EQ(size.height, 7u);
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 64, 0, 32, 0};
  ASSERT_TRUE(ReadClaimedSize(View(gif), size));
  EXPECT_EQ(size.width, 64u);
  Bytes bmp(26, 0);
  bmp[0] = 'B', bmp[1] = 'M', bmp[14] = 40, bmp[18] = 64;
  Put32(bmp, 22, static_cast<uint32_t>(-32), false);
  ASSERT_TRUE(ReadClaimedSize(View(bmp), size));
  EXPECT_EQ(size.height, 32u);
  ASSERT_TRUE(ReadClaimedSize(View(Tiff({{0x0100, 4, 1, 70000}, {0x0101, 3, 1, 2}}, true)), size));
  EXPECT_EQ(size.width, 70000u);
}

TEST(PictureSizeTest, CutHeadersAndUnknownDataClaimNothing) {
  ClaimedSize size;
  EXPECT_FALSE(ReadClaimedSize(View(Bytes{0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08}), size));
  EXPECT_FALSE(ReadClaimedSize(View(Bytes{'G', 'I', 'F', '8', '9', 'a', 64}), size));
  EXPECT_FALSE(ReadClaimedSize(View(Bytes(40, 0x37)), size));
}

// RIFF AVI with a header list and an INFO list holding the title.
Bytes Avi(const std::string& title) {
  auto chunk = [](const std::string& id, const Bytes& body) {
    Bytes b(id.begin(), id.end());
    b.resize(8);
    Put32(b, 4, static_cast<uint32_t>(body.size()), false);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2 != 0) b.push_back(0);
    return b;
  };
  Bytes name(title.begin(), title.end());
  name.push_back(0);
  Bytes info = {'I', 'N', 'F', 'O'};
  const Bytes inam = chunk("INAM", name);
  info.insert(info.end(), inam.begin(), inam.end());
  Bytes body = {'A', 'V', 'I', ' '};
  const Bytes header = chunk("LIST", Bytes{'h', 'd', 'r', 'l', 0, 0, 0});
  const Bytes list = chunk("LIST", info);
  body.insert(body.end(), header.begin(), header.end());
  body.insert(body.end(), list.begin(), list.end());
  return chunk("RIFF", body);
}

TEST(RelatedPictureTest, AClipTitledByItsNameNamesItsThmInThePadded83Form) {
  EXPECT_EQ(RelatedPictureName(View(Avi("MVI_0001"))), "MVI_0001.THM");
  EXPECT_EQ(RelatedPictureName(View(Avi("mvi_0001.avi"))), "MVI_0001.THM");
  EXPECT_EQ(RelatedPictureName(View(Avi("CLIP7"))), "CLIP7   .THM");
}

TEST(RelatedPictureTest, NoNameForOtherTitlesOtherDataOrBrokenChunks) {
  EXPECT_EQ(RelatedPictureName(View(Avi("Holiday at the lake"))), "");
  EXPECT_EQ(RelatedPictureName(View(Avi("LONGERNAME1"))), "");
  EXPECT_EQ(RelatedPictureName(View(Avi(""))), "");
  Bytes wav = Avi("MVI_0001");
  wav[8] = 'W', wav[9] = 'A', wav[10] = 'V', wav[11] = 'E';
  EXPECT_EQ(RelatedPictureName(View(wav)), "");
  // An INFO list whose size runs past the end of the data.
  Bytes broken = Avi("MVI_0001");
  Put32(broken, 32, 0x7FFFFFFF, false);
  broken.resize(broken.size() - 4);
  EXPECT_EQ(RelatedPictureName(View(broken)), "");
}

}  // namespace
