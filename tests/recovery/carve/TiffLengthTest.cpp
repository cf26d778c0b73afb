// The TIFF walk on files made by real tools and by scripts/make-raw.py, laid
// among random bytes, cut short or damaged, and on small directories built
// here to loop, to claim too much or to point past the medium.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "FormatLengths.h"
#include "PlacedMedium.h"
#include "Thread.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;
constexpr uint32_t kAt = 5;
constexpr uint16_t kShort = 3, kLong = 4, kUndefined = 7;

uint32_t SectorsOf(std::size_t bytes) { return static_cast<uint32_t>((bytes + kSector - 1) / kSector); }

// The walk over file laid at kAt, then after, then spare random sectors
// (none: the file's last sector is the medium's last).
uint64_t Walk(const std::vector<uint8_t>& file, const std::vector<uint8_t>& after = RandomBytes(4 * kSector, 3),
              uint32_t spare = 8, uint32_t window = 12, const Thread* worker = nullptr) {
  PlacedMedium medium(kAt + SectorsOf(file.size()) + SectorsOf(after.size()) + spare);
  medium.Place(kAt, file);
  medium.Place(kAt + SectorsOf(file.size()), after);
  if (!medium.Open() || !medium.ReadWindow(kAt, window)) return ~0ULL;
  return TiffFileLength(*medium.media, kAt, window, worker);
}

const char* const kSamples[] = {"photo.tif",      "photo-msb.tif", "pane-ii.tif",   "pane-mm.tif",
                                "tiff-strips.tif", "tiff-tiles.tif", "tiff-pages.tif", "camera.dng",
                                "camera.cr2",      "camera.nef"};

struct Field {
  uint16_t tag, type;
  uint32_t count, value;
};

void Put(std::vector<uint8_t>& file, std::size_t at, uint32_t value, int width) {
  if (file.size() < at + width) file.resize(at + width, 0);
  for (int i = 0; i < width; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An Intel TIFF header whose first directory lies at first.
std::vector<uint8_t> Header(uint32_t first) {
  std::vector<uint8_t> file = {'I', 'I', 42, 0};
  Put(file, 4, first, 4);
  return file;
}

// Writes a directory at at; gives where it ends, its link included.
std::size_t Directory(std::vector<uint8_t>& file, std::size_t at, std::initializer_list<Field> fields,
                      uint32_t next = 0) {
  Put(file, at, static_cast<uint32_t>(fields.size()), 2);
  std::size_t entry = at + 2;
  for (const Field& field : fields) {
    Put(file, entry, field.tag, 2);
    Put(file, entry + 2, field.type, 2);
    Put(file, entry + 4, field.count, 4);
    Put(file, entry + 8, field.value, 4);
    entry += 12;
  }
  Put(file, entry, next, 4);
  return entry + 4;
}

// One strip of bytes at place, as a directory at 8 names it.
std::vector<uint8_t> OneStrip(uint32_t place, uint32_t bytes) {
  std::vector<uint8_t> file = Header(8);
  Directory(file, 8, {{0x111, kLong, 1, place}, {0x117, kLong, 1, bytes}});
  if (file.size() < place + bytes) file.resize(place + bytes, 0x33);
  return file;
}

}  // namespace

TEST(TiffLength, FilesMadeByRealToolsGetTheirExactLength) {
  const std::vector<uint8_t> jpeg = SampleFile("photo.jpg");
  for (const char* name : kSamples) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file = SampleFile(name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(Walk(file), file.size());
    EXPECT_EQ(Walk(file, jpeg), file.size());
    EXPECT_EQ(Walk(file, RandomBytes(kSector, 4), 8, 1), file.size());  // the cursor reads the rest
    // Cut short by the medium: it ends at the start of the file's last sector.
    std::vector<uint8_t> cut(file.begin(), file.begin() + (SectorsOf(file.size()) - 1) * kSector);
    EXPECT_EQ(Walk(cut, {}, 0), 0u);
  }
}

TEST(TiffLength, TheFurthestByteEndsTheFile) {
  // Data after the directory, and a directory after the data.
  EXPECT_EQ(Walk(OneStrip(3000, 100)), 3100u);
  std::vector<uint8_t> last = Header(2000);
  EXPECT_EQ(Directory(last, 2000, {{0x111, kLong, 1, 100}, {0x117, kLong, 1, 4}}), 2030u);
  EXPECT_EQ(Walk(last), 2030u);
  // A value of more than 4 bytes lies where its entry says.
  std::vector<uint8_t> text = OneStrip(200, 10);
  Directory(text, 8, {{0x111, kLong, 1, 200}, {0x117, kLong, 1, 10}, {0x10F, 2, 300, 4000}});
  text.resize(4300, 'a');
  EXPECT_EQ(Walk(text), 4300u);
  // A JPEG preview by its place and length.
  std::vector<uint8_t> preview = Header(8);
  Directory(preview, 8, {{0x201, kLong, 1, 1024}, {0x202, kLong, 1, 5000}});
  preview.resize(6024, 0xFF);
  EXPECT_EQ(Walk(preview), 6024u);
}

TEST(TiffLength, InconsistentDirectoriesLeaveTheLengthUnknown) {
  EXPECT_EQ(Walk(Header(0)), 0u);
  EXPECT_EQ(Walk(Header(4)), 0u);  // inside the header
  std::vector<uint8_t> noCounts = Header(8);
  Directory(noCounts, 8, {{0x111, kLong, 1, 512}});
  EXPECT_EQ(Walk(noCounts), 0u);
  std::vector<uint8_t> unequal = Header(8);
  Directory(unequal, 8, {{0x111, kLong, 2, 100}, {0x117, kLong, 1, 64}});
  EXPECT_EQ(Walk(unequal), 0u);
  std::vector<uint8_t> empty = Header(8);
  Directory(empty, 8, {{0x111, kLong, 1, 512}, {0x117, kLong, 1, 0}});
  EXPECT_EQ(Walk(empty), 0u);
  std::vector<uint8_t> unknownType = OneStrip(512, 64);
  Put(unknownType, 10 + 2, 99, 2);
  EXPECT_EQ(Walk(unknownType), 0u);
  std::vector<uint8_t> noEntries = Header(8);
  Directory(noEntries, 8, {});
  EXPECT_EQ(Walk(noEntries), 0u);
}

TEST(TiffLength, HugeCountsAndFarOffsetsStayInsideTheBound) {
  const std::vector<uint8_t> file = OneStrip(512, 64);
  // Beyond this medium, and beyond 4 GiB (no 32-bit sum wraps round).
  std::vector<uint8_t> far = file;
  Put(far, 10 + 8, 600000, 4);
  EXPECT_EQ(Walk(far), 0u);
  Put(far, 10 + 8, 0xFFFFFFF0, 4);
  Put(far, 10 + 12 + 8, 0x20, 4);
  EXPECT_EQ(Walk(far), 0u);
  std::vector<uint8_t> manyStrips = Header(8);
  Directory(manyStrips, 8, {{0x111, kLong, 0xFFFFFFFF, 100}, {0x117, kLong, 0xFFFFFFFF, 200}});
  EXPECT_EQ(Walk(manyStrips), 0u);
  std::vector<uint8_t> manyEntries = file;
  Put(manyEntries, 8, 0xFFFF, 2);
  EXPECT_EQ(Walk(manyEntries), 0u);
  std::vector<uint8_t> nextFar = file;
  Put(nextFar, 8 + 2 + 24, 0xFFFFFF00, 4);
  EXPECT_EQ(Walk(nextFar), 0u);
  // 4000 strips, their places and lengths in lists far apart: a batch reads well.
  std::vector<uint8_t> strips = Header(8);
  Directory(strips, 8, {{0x111, kLong, 4000, 100}, {0x117, kShort, 4000, 40000}});
  for (uint32_t i = 0; i < 4000; ++i) {
    Put(strips, 100 + 4 * i, 50000 + 3 * i, 4);
    Put(strips, 40000 + 2 * i, 3, 2);
  }
  strips.resize(50000 + 3 * 4000, 0x55);
  EXPECT_EQ(Walk(strips), 50000u + 3 * 4000);
}

TEST(TiffLength, LoopsAndLongChainsEndTheWalk) {
  // A directory linked to itself, and two linked to each other: each is walked once.
  std::vector<uint8_t> self = OneStrip(512, 64);
  Put(self, 8 + 2 + 24, 8, 4);
  EXPECT_EQ(Walk(self), 576u);
  std::vector<uint8_t> pair = OneStrip(512, 64);
  Put(pair, 8 + 2 + 24, 100, 4);
  Directory(pair, 100, {{0x10F, 2, 4, 0}}, 8);
  EXPECT_EQ(Walk(pair), 576u);
  // An EXIF directory pointing back at the first one.
  std::vector<uint8_t> back = OneStrip(512, 64);
  Directory(back, 8, {{0x111, kLong, 1, 512}, {0x117, kLong, 1, 64}, {0x8769, kLong, 1, 8}});
  EXPECT_EQ(Walk(back), 576u);
  // A chain of 100 directories is a file; one of 2000 is not.
  for (uint32_t length : {100u, 2000u}) {
    std::vector<uint8_t> chain = Header(8);
    for (uint32_t i = 0; i < length; ++i)
      Directory(chain, 8 + 18 * i, {{0x10F, 2, 4, 0}}, i + 1 < length ? 8 + 18 * (i + 1) : 0);
    EXPECT_EQ(Walk(chain), length == 100 ? chain.size() : 0u);
  }
}

TEST(TiffLength, MakerNotes) {
  // A note that reads as a directory adds what it points at; one that does
  // not adds its own bytes only; one that points past the medium may be
  // cut short, which leaves the length unknown.
  std::vector<uint8_t> file = Header(8);
  Directory(file, 8, {{0x8769, kLong, 1, 40}});
  Directory(file, 40, {{0x927C, kUndefined, 100, 100}});
  Directory(file, 100, {{0x0010, kUndefined, 50, 3000}});
  EXPECT_EQ(Walk(file), 3050u);
  std::vector<uint8_t> garbled = file;
  Put(garbled, 100 + 2 + 2, 99, 2);  // no type TIFF knows
  EXPECT_EQ(Walk(garbled), 200u);
  std::vector<uint8_t> outside = file;
  Put(outside, 100, 9, 2);  // nine entries do not fit in 100 bytes
  EXPECT_EQ(Walk(outside), 200u);
  std::vector<uint8_t> farOff = file;
  Put(farOff, 100 + 2 + 8, 0x70000000, 4);
  EXPECT_EQ(Walk(farOff), 0u);

  // Nikon's: offsets count from the TIFF header 10 bytes into the note.
  std::vector<uint8_t> nikon = Header(8);
  Directory(nikon, 8, {{0x8769, kLong, 1, 40}});
  Directory(nikon, 40, {{0x927C, kUndefined, 100, 100}});
  const uint8_t prefix[] = {'N', 'i', 'k', 'o', 'n', 0, 2, 0x10, 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0};
  nikon.resize(200, 0);
  std::copy(prefix, prefix + sizeof prefix, nikon.begin() + 100);
  Directory(nikon, 118, {{0x0010, kUndefined, 50, 3000}});
  EXPECT_EQ(Walk(nikon), 110u + 3050);
}

TEST(TiffLength, OlympusAndPanasonicHeaders) {
  for (const char* magic : {"IIRO", "IIRS", "IIU\0"}) {
    std::vector<uint8_t> file = OneStrip(700, 10);
    std::copy(magic, magic + 4, file.begin());
    EXPECT_EQ(Walk(file), 710u) << magic;
  }
  std::vector<uint8_t> bigTiff = OneStrip(700, 10);
  bigTiff[2] = 43;
  EXPECT_EQ(Walk(bigTiff), 0u);
}

TEST(TiffLength, AStoppedWorkerEndsTheWalk) {
  Thread worker;
  worker.requestStop();
  EXPECT_EQ(Walk(SampleFile("camera.dng"), {}, 8, 12, &worker), 0u);
}
