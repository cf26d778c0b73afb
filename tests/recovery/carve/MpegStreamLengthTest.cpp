// The program stream walk on ffmpeg's streams (which end without the end
// code) and on packs and packets built here.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "FormatLengths.h"
#include "Thread.h"
#include "WalkMedium.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) { to.insert(to.end(), bytes.begin(), bytes.end()); }

// A start code and, for the codes that carry one, a 16-bit length of body bytes.
std::vector<uint8_t> Packet(uint8_t id, uint16_t body) {
  std::vector<uint8_t> packet = {0, 0, 1, id, static_cast<uint8_t>(body >> 8), static_cast<uint8_t>(body)};
  packet.resize(6 + body, 0xA5);
  return packet;
}

std::vector<uint8_t> Mpeg1Pack() { return {0, 0, 1, 0xBA, 0x21, 0, 1, 0, 1, 0x80, 0, 1}; }

// An MPEG-2 pack header with stuffing bytes after its 14 bytes.
std::vector<uint8_t> Mpeg2Pack(uint8_t stuffing) {
  std::vector<uint8_t> pack = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, static_cast<uint8_t>(0xF8 | stuffing)};
  pack.resize(14 + stuffing, 0xFF);
  return pack;
}

const std::vector<uint8_t> kEndCode = {0, 0, 1, 0xB9};

// Two packs of each kind with a system header, video, audio and padding.
std::vector<uint8_t> Stream() {
  std::vector<uint8_t> stream = Mpeg2Pack(0);
  Append(stream, Packet(0xBB, 12));
  Append(stream, Packet(0xE0, 2000));
  Append(stream, Mpeg2Pack(7));
  Append(stream, Packet(0xC0, 300));
  Append(stream, Packet(0xBE, 0));
  Append(stream, Mpeg1Pack());
  Append(stream, Packet(0xBD, 65535));
  return stream;
}

std::vector<uint8_t> Ended(std::vector<uint8_t> stream) {
  Append(stream, kEndCode);
  return stream;
}

}  // namespace

TEST(MpegStreamLength, TheWalkEndsWithTheEndCode) {
  const std::vector<uint8_t> noise = RandomBytes(8 * kSector, 11);
  const std::vector<uint8_t> ended = SampleFile("clip-ended.mpg");
  ASSERT_FALSE(ended.empty());
  EXPECT_EQ(WalkOver(MpegStreamFileLength, ended, noise), ended.size());
  EXPECT_EQ(WalkOver(MpegStreamFileLength, ended, noise, 1), ended.size());
  const std::vector<uint8_t> built = Ended(Stream());
  EXPECT_EQ(WalkOver(MpegStreamFileLength, built, noise), built.size());
  EXPECT_EQ(WalkOver(MpegStreamFileLength, built, SampleFile("photo.jpg")), built.size());
  // The end code as the medium's last four bytes.
  std::vector<uint8_t> last = Stream();
  const std::size_t padded = SectorsOf(last.size() + 6 + 4) * std::size_t(kSector);
  Append(last, Packet(0xBE, static_cast<uint16_t>(padded - last.size() - 6 - 4)));
  Append(last, kEndCode);
  ASSERT_EQ(last.size() % kSector, 0u);
  EXPECT_EQ(WalkToTheEnd(MpegStreamFileLength, last), last.size());
}

// ffmpeg writes no end code: the walk runs into what follows and gives up.
TEST(MpegStreamLength, AStreamWithoutItsEndCodeHasNoLength) {
  const std::vector<uint8_t> clip = SampleFile("clip.mpg");
  ASSERT_FALSE(clip.empty());
  EXPECT_EQ(WalkOver(MpegStreamFileLength, clip, RandomBytes(8 * kSector, 2)), 0u);
  EXPECT_EQ(WalkOver(MpegStreamFileLength, clip, std::vector<uint8_t>(8 * kSector, 0)), 0u);
  EXPECT_EQ(WalkToTheEnd(MpegStreamFileLength, clip), 0u);
  // Cut short by the medium.
  std::vector<uint8_t> cut = SampleFile("clip-ended.mpg");
  cut.resize((SectorsOf(cut.size()) - 1) * kSector);
  EXPECT_EQ(WalkToTheEnd(MpegStreamFileLength, cut), 0u);
}

TEST(MpegStreamLength, InconsistentPacksAndPacketsEndTheWalk) {
  const std::vector<uint8_t> noise = RandomBytes(8 * kSector, 4);
  std::vector<uint8_t> notAPack = Ended(Stream());
  notAPack[3] = 0xE0;  // a stream that begins with a packet is not walked
  EXPECT_EQ(WalkOver(MpegStreamFileLength, notAPack, noise), 0u);
  std::vector<uint8_t> marker = Ended(Stream());
  marker[4] = 0x84;  // neither '01' nor '0010'
  EXPECT_EQ(WalkOver(MpegStreamFileLength, marker, noise), 0u);
  std::vector<uint8_t> sequence = Stream();
  Append(sequence, Packet(0xB3, 10));  // a video start code between packets
  Append(sequence, kEndCode);
  EXPECT_EQ(WalkOver(MpegStreamFileLength, sequence, noise), 0u);
  std::vector<uint8_t> offByOne = Ended(Stream());
  offByOne[14 + 5] = 13;  // the system header claims one byte more
  EXPECT_EQ(WalkOver(MpegStreamFileLength, offByOne, noise), 0u);
  // Lengths that run past the medium.
  std::vector<uint8_t> beyond = Stream();
  Append(beyond, Packet(0xE0, 0));
  beyond[beyond.size() - 2] = 0xFF;
  beyond[beyond.size() - 1] = 0xFF;
  EXPECT_EQ(WalkToTheEnd(MpegStreamFileLength, beyond), 0u);
}

TEST(MpegStreamLength, AnUnreadableSectorOrAStopEndsTheWalk) {
  const std::vector<uint8_t> stream = Ended(Stream());
  PlacedMedium medium(kWalkAt + SectorsOf(stream.size()) + 4);
  medium.Place(kWalkAt, stream);
  ASSERT_TRUE(medium.Open());
  medium.medium->FailSector(kWalkAt + SectorsOf(stream.size()) - 1);
  ASSERT_TRUE(medium.ReadWindow(kWalkAt, 12));
  EXPECT_EQ(MpegStreamFileLength(*medium.media, kWalkAt, 12, nullptr), 0u);

  Thread worker;
  worker.requestStop();
  EXPECT_EQ(WalkOver(MpegStreamFileLength, stream, {}, 12, &worker), 0u);
}
