// The MP3 frame walk on files that ffmpeg made (tagged and not, constant and
// variable bitrates, MPEG-1, 2 and 2.5) and on frames and tags built here.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "FormatLengths.h"
#include "Thread.h"
#include "WalkMedium.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;

// count frames of length bytes whose headers are header.
std::vector<uint8_t> Frames(uint32_t header, std::size_t length, int count) {
  std::vector<uint8_t> frames;
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> frame(length, 0x55);
    for (int b = 0; b < 4; ++b) frame[b] = static_cast<uint8_t>(header >> (24 - 8 * b));
    frames.insert(frames.end(), frame.begin(), frame.end());
  }
  return frames;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// An ID3v2.4 tag whose size field says size; flags 0x10 adds a footer.
std::vector<uint8_t> Id3v2(uint32_t size, uint8_t flags = 0) {
  std::vector<uint8_t> tag = {'I', 'D', '3', 4, 0, flags,
                              static_cast<uint8_t>(size >> 21 & 0x7F), static_cast<uint8_t>(size >> 14 & 0x7F),
                              static_cast<uint8_t>(size >> 7 & 0x7F), static_cast<uint8_t>(size & 0x7F)};
  tag.resize(10 + size + ((flags & 0x10) != 0 ? 10 : 0), 0);
  return tag;
}

void PutLe32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// An APEv2 tag: header, items bytes, footer; size counts items and footer.
std::vector<uint8_t> ApeTag(uint32_t items, uint32_t headerFlags) {
  std::vector<uint8_t> tag(32 + items + 32, 0x41);
  for (std::size_t at : {std::size_t{0}, tag.size() - 32}) {
    const char kPreamble[] = "APETAGEX";
    std::copy(kPreamble, kPreamble + 8, tag.begin() + static_cast<std::ptrdiff_t>(at));
    PutLe32(tag, at + 8, 2000);
    PutLe32(tag, at + 12, items + 32);
    PutLe32(tag, at + 16, 1);
    PutLe32(tag, at + 20, at == 0 ? headerFlags : 0x80000000u);
  }
  return tag;
}

std::vector<uint8_t> Id3v1() {
  std::vector<uint8_t> tag(128, 0);
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  return tag;
}

constexpr uint32_t k128k = 0xFFFB9000;  // MPEG-1 layer III, 44100 Hz: 417 bytes
constexpr std::size_t k128kBytes = 417;
constexpr uint32_t kApeHeader = 0xA0000000u;  // has a header, is the header

const char* const kMp3Samples[] = {"sound.mp3",     "sound-untagged.mp3", "sound-128k.mp3", "sound-320k.mp3",
                                   "sound-vbr.mp3", "sound-22k.mp3",      "sound-8k.mp3",   "sound-11k.mp3"};

}  // namespace

TEST(Mp3Length, FilesMadeByFfmpegGetTheirExactLength) {
  const std::vector<uint8_t> noise = RandomBytes(8 * kSector, 7);
  const std::vector<uint8_t> zeros(8 * kSector, 0);
  const std::vector<uint8_t> other = SampleFile("photo.jpg");
  for (const char* name : kMp3Samples) {
    SCOPED_TRACE(name);
    std::vector<uint8_t> file = SampleFile(name);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(WalkOver(Mp3FileLength, file, noise), file.size());
    EXPECT_EQ(WalkOver(Mp3FileLength, file, zeros), file.size());
    EXPECT_EQ(WalkOver(Mp3FileLength, file, other), file.size());
    EXPECT_EQ(WalkOver(Mp3FileLength, file, noise, 1), file.size());
  }
}

// Every whole frame plays: the medium's end cuts the file after the last.
TEST(Mp3Length, AFileCutShortByTheMediumEndsAtItsLastWholeFrame) {
  const std::vector<uint8_t> frames = Frames(k128k, k128kBytes, 20);
  std::vector<uint8_t> cut(frames.begin(), frames.begin() + 10 * kSector);  // 12.3 frames
  EXPECT_EQ(WalkToTheEnd(Mp3FileLength, cut), 12 * k128kBytes);
  cut.resize(5 * kSector);  // 6.1 frames
  EXPECT_EQ(WalkToTheEnd(Mp3FileLength, cut), 6 * k128kBytes);
  // A tag cut off by the medium's end is not counted.
  std::vector<uint8_t> tail = Joined(Frames(k128k, k128kBytes, 6), Id3v1());
  tail.resize(5 * kSector);  // 2502 bytes of frames and 58 of the tag
  EXPECT_EQ(WalkToTheEnd(Mp3FileLength, tail), 6 * k128kBytes);
}

TEST(Mp3Length, FewerThanFiveFramesOrABadFirstFrameGiveNoLength) {
  const std::vector<uint8_t> zeros(4 * kSector, 0);
  EXPECT_EQ(WalkOver(Mp3FileLength, Frames(k128k, k128kBytes, 5), zeros), 5 * k128kBytes);
  EXPECT_EQ(WalkOver(Mp3FileLength, Frames(k128k, k128kBytes, 4), zeros), 0u);
  EXPECT_EQ(WalkOver(Mp3FileLength, Frames(0xFFFB0000, 417, 8), zeros), 0u);  // free format
  EXPECT_EQ(WalkOver(Mp3FileLength, Frames(0xFFFBF000, 417, 8), zeros), 0u);  // bitrate index 15
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(Id3v2(100), Frames(k128k, k128kBytes, 4)), zeros), 0u);
}

// Each frame is exactly as long as its header says, and the stream keeps its
// version, layer and sample rate; the bitrate may change.
TEST(Mp3Length, FrameLengthsOfEveryVersionAndLayer) {
  struct Case {
    uint32_t header;
    std::size_t length;
  };
  const Case cases[] = {
      {0xFFFF1000, 32},   // MPEG-1 layer I, 32 kbit/s, 44100 Hz: 4 * floor(12 * 32000 / 44100)
      {0xFFFF1200, 36},   // with its padding slot of four bytes
      {0xFFFD1400, 96},   // MPEG-1 layer II, 32 kbit/s, 48000 Hz: 144
      {0xFFF78400, 256},  // MPEG-2 layer I, 128 kbit/s, 24000 Hz: 4 * floor(12 * 128000 / 24000)
      {0xFFF58000, 417},  // MPEG-2 layer II, 64 kbit/s, 22050 Hz: 144 as in MPEG-1
      {0xFFF38000, 208},  // MPEG-2 layer III, 64 kbit/s, 22050 Hz: 72
      {0xFFE31800, 72},   // MPEG-2.5 layer III, 8 kbit/s, 8000 Hz: 72
      {0xFFFB9200, 418},  // a padding byte
  };
  const std::vector<uint8_t> zeros(4 * kSector, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    EXPECT_EQ(WalkOver(Mp3FileLength, Frames(c.header, c.length, 8), zeros), 8 * c.length);
    EXPECT_EQ(WalkOver(Mp3FileLength, Frames(c.header, c.length + 1, 8), zeros), 0u);
  }
  const std::vector<uint8_t> five = Frames(k128k, k128kBytes, 5);
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(five, Frames(0xFFFBA000, 522, 3)), zeros), 5 * k128kBytes + 3 * 522);
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(five, Frames(0xFFFB9400, 384, 3)), zeros), 5 * k128kBytes);  // 48 kHz
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(five, Frames(0xFFFD9000, 417, 3)), zeros), 5 * k128kBytes);  // layer II
}

TEST(Mp3Length, TagsBeforeAndAfterTheFrames) {
  const std::vector<uint8_t> frames = Frames(k128k, k128kBytes, 6);
  const std::vector<uint8_t> noise = RandomBytes(4 * kSector, 3);
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(Id3v2(300), frames), noise), 310 + frames.size());
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(Id3v2(300, 0x10), frames), noise), 320 + frames.size());
  std::vector<uint8_t> notSyncsafe = Joined(Id3v2(300), frames);
  notSyncsafe[8] |= 0x80;
  EXPECT_EQ(WalkOver(Mp3FileLength, notSyncsafe, noise), 0u);
  // A tag far larger than the medium.
  std::vector<uint8_t> huge = Joined(Id3v2(300), frames);
  huge[6] = 0x7F;
  EXPECT_EQ(WalkOver(Mp3FileLength, huge, noise), 0u);

  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(frames, Id3v1()), noise), frames.size() + 128);
  const std::vector<uint8_t> ape = ApeTag(100, kApeHeader);
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(frames, ape), noise), frames.size() + ape.size());
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(Joined(frames, ape), Id3v1()), noise), frames.size() + ape.size() + 128);
  // Without the header flags the footer cannot be found going forward.
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(frames, ApeTag(100, 0x80000000u)), noise), frames.size());
  std::vector<uint8_t> apeBeyond = ApeTag(100, kApeHeader);
  PutLe32(apeBeyond, 12, 0x00FFFFFF);  // 16 MiB: past the medium
  EXPECT_EQ(WalkOver(Mp3FileLength, Joined(frames, apeBeyond), noise), frames.size());
}

TEST(Mp3Length, AnUnreadableSectorOrAStopEndsTheWalk) {
  const std::vector<uint8_t> file = SampleFile("sound-320k.mp3");
  ASSERT_GT(file.size(), 40u * kSector);
  PlacedMedium medium(kWalkAt + SectorsOf(file.size()) + 4);
  medium.Place(kWalkAt, file);
  ASSERT_TRUE(medium.Open());
  medium.medium->FailSector(kWalkAt + 30);
  ASSERT_TRUE(medium.ReadWindow(kWalkAt, 12));
  EXPECT_EQ(Mp3FileLength(*medium.media, kWalkAt, 12, nullptr), 0u);

  Thread worker;
  worker.requestStop();
  EXPECT_EQ(WalkOver(Mp3FileLength, file, {}, 12, &worker), 0u);
}
