#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "JpegExtent.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "PlacedMedium.h"
#include "TestFiles.h"
#include "Thread.h"
#include "Trace.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;

// A JPEG laid out by hand: SOI, segments of the given lengths (each filled
// with filler), the start of scan, scan data and EOI.
std::vector<uint8_t> HandMadeJpeg(const std::vector<uint16_t>& segmentLengths, const std::vector<uint8_t>& scan,
                                  uint8_t filler = 0x11) {
  std::vector<uint8_t> jpeg = {0xFF, 0xD8};
  for (uint16_t length : segmentLengths) {
    jpeg.insert(jpeg.end(), {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length & 0xFF)});
    jpeg.insert(jpeg.end(), length - 2u, filler);
  }
  jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0x00, 0x08, 1, 2, 3, 4, 5, 6});
  jpeg.insert(jpeg.end(), scan.begin(), scan.end());
  jpeg.insert(jpeg.end(), {0xFF, 0xD9});
  return jpeg;
}

class JpegExtentTest : public ::testing::Test {
 protected:
  // Puts the file at sector start of a medium, with random data before and
  // after it, opens the medium and reads the scan's window at start.
  bool Place(const std::vector<uint8_t>& file, uint32_t start, std::size_t trailingBytes = 64 * kSector) {
    uint32_t fileSectors = static_cast<uint32_t>((file.size() + kSector - 1) / kSector);
    placed.reset(new PlacedMedium(start + fileSectors + static_cast<uint32_t>(trailingBytes / kSector)));
    placed->Place(start, file);
    // The rest of the file's last sector holds no stray end marker.
    std::fill(placed->image.begin() + start * kSector + file.size(), placed->image.begin() + (start + fileSectors) * kSector, 0);
    if (!placed->Open() || !placed->ReadWindow(start)) return false;
    medium = placed->medium;
    media = placed->media.get();
    medium->counters = DeviceCounters();
    return true;
  }

  std::string Sample(const char* name) {
    std::vector<uint8_t> bytes = SampleFile(name);
    return std::string(bytes.begin(), bytes.end());
  }

  std::unique_ptr<PlacedMedium> placed;
  std::shared_ptr<MemoryMedium> medium;
  Media* media = nullptr;
};

}  // namespace

TEST_F(JpegExtentTest, CameraPhotosGetTheirExactSize) {
  const char* names[] = {"camera.jpg", "camera-exif.jpg", "progressive.jpg", "tiny.jpg"};
  uint32_t start = 7;
  for (const char* name : names) {
    std::string bytes = Sample(name);
    ASSERT_FALSE(bytes.empty());
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    ASSERT_TRUE(Place(file, start)) << name;
    uint64_t length = 0;
    ASSERT_TRUE(jpegExtent(*media, start, length)) << name;
    EXPECT_EQ(length, file.size()) << name;
    // The walk reads each sector of the file once at most (the window's 12
    // sectors it already has).
    uint64_t fileSectors = (file.size() + kSector - 1) / kSector;
    EXPECT_LE(medium->counters.bytesRequested, fileSectors * kSector) << name;
    start += 13;
  }
}

TEST_F(JpegExtentTest, ThumbnailEndMarkerDoesNotEndThePhoto) {
  std::string bytes = Sample("camera-exif.jpg");
  ASSERT_FALSE(bytes.empty());
  std::size_t firstEnd = bytes.find("\xFF\xD9");
  ASSERT_LT(firstEnd + 2, bytes.size() / 2);  // the thumbnail's, early in the file
  std::vector<uint8_t> file(bytes.begin(), bytes.end());
  ASSERT_TRUE(Place(file, 3));
  uint64_t length = 0;
  ASSERT_TRUE(jpegExtent(*media, 3, length));
  EXPECT_EQ(length, file.size());
}

TEST_F(JpegExtentTest, PhotoCutOffBeforeItsEndIsNotValid) {
  std::string bytes = Sample("progressive.jpg");
  ASSERT_FALSE(bytes.empty());
  std::vector<uint8_t> file(bytes.begin(), bytes.end() - 2);  // no FF D9, and the medium ends
  ASSERT_TRUE(Place(file, 5, 0));
  uint64_t length = 12345;
  EXPECT_FALSE(jpegExtent(*media, 5, length));
  EXPECT_EQ(length, 12345u);
}

TEST_F(JpegExtentTest, UnreadableSectorInsideThePhotoMakesItInvalid) {
  std::string bytes = Sample("progressive.jpg");
  ASSERT_FALSE(bytes.empty());
  std::vector<uint8_t> file(bytes.begin(), bytes.end());
  ASSERT_TRUE(Place(file, 5));
  medium->FailSector(5 + 30);
  uint64_t length = 0;
  EXPECT_FALSE(jpegExtent(*media, 5, length));
}

TEST_F(JpegExtentTest, MarkerSplitAcrossASectorBoundary) {
  // After SOI and a segment of length 507 the start of scan's FF is the
  // last byte of the first sector and its code byte the first of the next.
  std::vector<uint8_t> file = HandMadeJpeg({507}, std::vector<uint8_t>(600, 0x22));
  ASSERT_EQ(file[511], 0xFF);
  ASSERT_EQ(file[512], 0xDA);
  ASSERT_TRUE(Place(file, 0));
  uint64_t length = 0;
  ASSERT_TRUE(jpegExtent(*media, 0, length));
  EXPECT_EQ(length, file.size());
}

TEST_F(JpegExtentTest, SegmentLengthSplitAcrossASectorBoundary) {
  // The second segment's length bytes are bytes 511 and 512.
  std::vector<uint8_t> file = HandMadeJpeg({505, 1000}, std::vector<uint8_t>(50, 0x22));
  ASSERT_EQ(file[509], 0xFF);
  ASSERT_EQ(file[511], 1000 >> 8);
  ASSERT_EQ(file[512], 1000 & 0xFF);
  ASSERT_TRUE(Place(file, 2));
  uint64_t length = 0;
  ASSERT_TRUE(jpegExtent(*media, 2, length));
  EXPECT_EQ(length, file.size());
}

TEST_F(JpegExtentTest, EndMarkerRules) {
  // FF FF D9 ends at the D9; FF 00 and FF D0 do not end the file.
  std::vector<uint8_t> scan = {0x01, 0xFF, 0x00, 0x02, 0xFF, 0xD0, 0x03, 0xFF};
  std::vector<uint8_t> file = HandMadeJpeg({16}, scan);
  ASSERT_TRUE(Place(file, 1));
  uint64_t length = 0;
  ASSERT_TRUE(jpegExtent(*media, 1, length));
  EXPECT_EQ(length, file.size());

  // An end marker that is the last byte of a sector: a whole number of sectors.
  std::vector<uint8_t> fill(1024 - 2 - 22 - 10 - 2, 0x33);
  file = HandMadeJpeg({20}, fill);
  ASSERT_EQ(file.size(), 1024u);
  ASSERT_TRUE(Place(file, 4));
  ASSERT_TRUE(jpegExtent(*media, 4, length));
  EXPECT_EQ(length, 1024u);
}

TEST_F(JpegExtentTest, SegmentsBeforeTheScanAreSkippedWholeEvenWhenLarge) {
  // A 60 KB application segment full of FF D9 pairs, spanning many sectors.
  std::vector<uint8_t> file = HandMadeJpeg({60000}, std::vector<uint8_t>(10, 0x44), 0xFF);
  for (std::size_t i = 7; i < 60004; i += 2) file[i] = 0xD9;
  ASSERT_TRUE(Place(file, 9));
  uint64_t length = 0;
  ASSERT_TRUE(jpegExtent(*media, 9, length));
  EXPECT_EQ(length, file.size());
  // Only the sector of the start of scan and what follows were read.
  EXPECT_LE(medium->counters.bytesRequested, 2u * kSector);
}

TEST_F(JpegExtentTest, BrokenStructuresAreNotValid) {
  std::vector<uint8_t> file = HandMadeJpeg({16}, {1, 2, 3});
  file[2 + 16 + 2] = 0x00;  // where the start of scan's FF should be
  ASSERT_TRUE(Place(file, 0));
  uint64_t length = 0;
  EXPECT_FALSE(jpegExtent(*media, 0, length));

  // Segment lengths of 0 and 1 point back at themselves.
  for (uint8_t bad : {0, 1}) {
    file = HandMadeJpeg({16, 16}, {1, 2, 3});
    file[2 + 16 + 2] = 0;
    file[2 + 16 + 3] = bad;
    ASSERT_TRUE(Place(file, 0));
    EXPECT_FALSE(jpegExtent(*media, 0, length)) << int(bad);
  }
}

TEST_F(JpegExtentTest, StartAtOrBeyondTheEndIsNotValid) {
  std::vector<uint8_t> file = HandMadeJpeg({16}, {1, 2, 3});
  ASSERT_TRUE(Place(file, 0));
  uint64_t length = 0;
  EXPECT_FALSE(jpegExtent(*media, static_cast<uint32_t>(media->sectorCount), length));
  EXPECT_FALSE(jpegExtent(*media, 0xFFFFFFFFu, length));
}

TEST_F(JpegExtentTest, AStoppedWorkerEndsTheWalk) {
  std::string bytes = Sample("progressive.jpg");
  ASSERT_FALSE(bytes.empty());
  std::vector<uint8_t> file(bytes.begin(), bytes.end());
  ASSERT_TRUE(Place(file, 0));
  Thread worker;
  worker.requestStop();
  uint64_t length = 0;
  EXPECT_FALSE(jpegExtent(*media, 0, length, &worker));
  EXPECT_TRUE(jpegExtent(*media, 0, length));
}
