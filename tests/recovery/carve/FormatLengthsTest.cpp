// The RIFF, PNG and GIF walks on files made by real tools, laid among random
// bytes or before other files, and on the same files cut short or damaged.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "FormatLengths.h"
#include "PlacedMedium.h"
#include "Thread.h"
#include "WalkMedium.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;
constexpr uint32_t kAt = kWalkAt;

struct Sample {
  const char* name;
  Walk walk;
};

const Sample kSamples[] = {
    {"photo.png", PngFileLength},     {"pane-alpha.png", PngFileLength}, {"photo-large.png", PngFileLength},
    {"photo.gif", GifFileLength},     {"pane.gif", GifFileLength},       {"photo-large.gif", GifFileLength},
    {"sound.wav", RiffFileLength},    {"sound-odd.wav", RiffFileLength}, {"photo.webp", RiffFileLength},
    {"clip.avi", RiffFileLength},     {"pane-clip.avi", RiffFileLength}, {"clip-mjpeg.avi", RiffFileLength},
};

// A RIFF chunk of the given form, with size bytes of data after the form.
std::vector<uint8_t> RiffChunk(const char* form, uint32_t size) {
  std::vector<uint8_t> chunk = {'R', 'I', 'F', 'F', 0, 0, 0, 0};
  uint32_t field = size + 4;
  for (int i = 0; i < 4; ++i) chunk[4 + i] = static_cast<uint8_t>(field >> (8 * i));
  for (int i = 0; i < 4; ++i) chunk.push_back(static_cast<uint8_t>(form[i]));
  chunk.resize(chunk.size() + size, 0x5A);
  return chunk;
}

// The file with one byte changed.
std::vector<uint8_t> With(std::vector<uint8_t> file, std::size_t at, uint8_t value) {
  if (at < file.size()) file[at] = value;
  return file;
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

}  // namespace

TEST(FormatLengths, FilesMadeByRealToolsGetTheirExactLength) {
  const std::vector<uint8_t> noise = RandomBytes(8 * kSector, 7);
  const std::vector<uint8_t> other = SampleFile("photo.jpg");
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.name);
    std::vector<uint8_t> file = SampleFile(sample.name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(WalkOver(sample.walk, file, noise), file.size());
    EXPECT_EQ(WalkOver(sample.walk, file, other), file.size());
    // Only the first sector in the buffer: the cursor reads the rest.
    EXPECT_EQ(WalkOver(sample.walk, file, noise, 1), file.size());
    // The file's last byte is the medium's last byte.
    if (file.size() % kSector == 0) {
      EXPECT_EQ(WalkToTheEnd(sample.walk, file), file.size());
    }
  }
}

TEST(FormatLengths, AFileCutShortByTheMediumHasNoLength) {
  for (const Sample& sample : kSamples) {
    SCOPED_TRACE(sample.name);
    std::vector<uint8_t> file = SampleFile(sample.name);
    if (file.size() <= kSector) continue;
    // The medium ends at the start of the file's last sector.
    file.resize((SectorsOf(file.size()) - 1) * kSector);
    EXPECT_EQ(WalkToTheEnd(sample.walk, file), 0u);
  }
}

TEST(FormatLengths, AnUnreadableSectorInsideTheFileEndsTheWalk) {
  for (const Sample& sample : {Sample{"photo-large.png", PngFileLength}, Sample{"photo-large.gif", GifFileLength}}) {
    SCOPED_TRACE(sample.name);
    const std::vector<uint8_t> file = SampleFile(sample.name);
    ASSERT_GT(file.size(), 40u * kSector);
    PlacedMedium medium(kAt + SectorsOf(file.size()) + 4);
    medium.Place(kAt, file);
    ASSERT_TRUE(medium.Open());
    // Where the file ends, well beyond the window: both walks must read it.
    medium.medium->FailSector(kAt + SectorsOf(file.size()) - 1);
    ASSERT_TRUE(medium.ReadWindow(kAt, 12));
    EXPECT_EQ(sample.walk(*medium.media, kAt, 12, nullptr), 0u);
  }
}

TEST(FormatLengths, AStoppedWorkerEndsTheWalk) {
  Thread worker;
  worker.requestStop();
  EXPECT_EQ(WalkOver(PngFileLength, SampleFile("photo.png"), {}, 12, &worker), 0u);
  EXPECT_EQ(WalkOver(GifFileLength, SampleFile("photo.gif"), {}, 12, &worker), 0u);
  EXPECT_EQ(WalkOver(RiffFileLength, SampleFile("clip.avi"), {}, 12, &worker), 0u);
}

TEST(FormatLengths, RiffSizesAndExtensionChunks) {
  const std::vector<uint8_t> noise = RandomBytes(4 * kSector, 3);
  // An odd size has its pad byte after it.
  EXPECT_EQ(WalkOver(RiffFileLength, RiffChunk("WAVE", 1), noise), 14u);
  // A size without room for the form type, and one beyond the medium.
  std::vector<uint8_t> tiny = RiffChunk("WAVE", 0);
  tiny[4] = 3;
  EXPECT_EQ(WalkOver(RiffFileLength, tiny, noise), 0u);
  std::vector<uint8_t> huge = RiffChunk("WAVE", 0);
  huge[7] = 0x7F;
  EXPECT_EQ(WalkOver(RiffFileLength, huge, noise), 0u);

  // AVIX chunks right after an AVI belong to it; another RIFF file does not.
  std::vector<uint8_t> avi = SampleFile("clip.avi");
  ASSERT_FALSE(avi.empty());
  std::vector<uint8_t> large = avi;
  Append(large, RiffChunk("AVIX", 1000));
  Append(large, RiffChunk("AVIX", 21));
  EXPECT_EQ(WalkOver(RiffFileLength, large, noise), avi.size() + 1012 + 34);
  std::vector<uint8_t> followed = avi;
  Append(followed, RiffChunk("WAVE", 100));
  EXPECT_EQ(WalkOver(RiffFileLength, followed, noise), avi.size());
  // An extension that claims more than the medium holds: the AVI is cut short.
  std::vector<uint8_t> cut = avi;
  std::vector<uint8_t> extension = RiffChunk("AVIX", 100);
  extension[6] = 0x40;
  Append(cut, extension);
  EXPECT_EQ(WalkOver(RiffFileLength, cut, noise), 0u);
}

TEST(FormatLengths, DamagedPngChunksEndTheWalk) {
  const std::vector<uint8_t> png = SampleFile("photo-large.png");
  ASSERT_GT(png.size(), 100u);
  const std::vector<uint8_t> noise = RandomBytes(4 * kSector, 5);
  // The first chunk after IHDR (8 + 25 bytes in): its type, then its length.
  EXPECT_EQ(WalkOver(PngFileLength, With(png, 33 + 5, '1'), noise), 0u);
  EXPECT_EQ(WalkOver(PngFileLength, With(png, 33, 0x80), noise), 0u);  // 2^31 and more
  EXPECT_EQ(WalkOver(PngFileLength, With(png, 33, 0x7F), noise), 0u);  // runs far past the medium
  // Without its IEND chunk the walk runs into what follows.
  std::vector<uint8_t> noEnd(png.begin(), png.end() - 12);
  EXPECT_EQ(WalkOver(PngFileLength, noEnd, noise), 0u);
  EXPECT_EQ(WalkOver(PngFileLength, noEnd, std::vector<uint8_t>(kSector, 0)), 0u);
  // An IEND that carries data is no end.
  EXPECT_EQ(WalkOver(PngFileLength, With(png, png.size() - 9, 1), noise), 0u);
}

TEST(FormatLengths, DamagedGifBlocksEndTheWalk) {
  const std::vector<uint8_t> gif = SampleFile("photo-large.gif");
  ASSERT_GT(gif.size(), 100u);
  const std::vector<uint8_t> noise = RandomBytes(4 * kSector, 5);
  EXPECT_EQ(WalkOver(GifFileLength, With(gif, 4, '8'), noise), 0u);  // "GIF88a"
  // Without its trailer the walk runs into empty sectors: no block starts with 0.
  std::vector<uint8_t> noTrailer(gif.begin(), gif.end() - 1);
  EXPECT_EQ(WalkOver(GifFileLength, noTrailer, std::vector<uint8_t>(4 * kSector, 0)), 0u);
  // The first block after the global colour table, made unknown.
  const std::size_t table = (gif[10] & 0x80) != 0 ? 3u << ((gif[10] & 7) + 1) : 0;
  EXPECT_EQ(WalkOver(GifFileLength, With(gif, 13 + table, 0x42), noise), 0u);
  // A colour table that claims more than there is.
  std::vector<uint8_t> header = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x87, 0, 0};
  EXPECT_EQ(WalkToTheEnd(GifFileLength, header), 0u);
}
