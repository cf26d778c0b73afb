#include "ContentChecks.h"

#include <cmath>

namespace {

constexpr int32_t kId3HeaderBytes = 10;
constexpr int kFramesWanted = 3;
constexpr int32_t kShortestFrame = 6;
constexpr int32_t kTextBytesLooked = 256;

// Indexed by the header's version bits: 0 MPEG-2.5, 1 reserved, 2 MPEG-2, 3 MPEG-1.
const int32_t kSampleRates[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

// Kilobits per second by layer (Layer I, II, III) and bitrate index; index 0
// is free format, index 15 is invalid in every row.
const int32_t kMpeg1Bitrates[3][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}};
const int32_t kMpeg2Bitrates[3][15] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}};

uint32_t BigEndian32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
         static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
}

enum class Frame { kBad, kFreeFormat, kGood };

// The frame header at position: its frame length, and what stays the same
// from frame to frame of one stream (version, layer, sample rate). The frame
// may run past the data.
Frame ReadFrame(const uint8_t* data, int64_t length, int64_t position, int64_t& frameLength, uint32_t& stream) {
  if (position + 4 > length) return Frame::kBad;
  uint32_t header = BigEndian32(data + position);
  if ((header & 0xFFE00000u) != 0xFFE00000u) return Frame::kBad;
  uint32_t version = header >> 19 & 3;
  uint32_t layerBits = header >> 17 & 3;  // 3 Layer I, 2 Layer II, 1 Layer III
  uint32_t bitrateIndex = header >> 12 & 15;
  uint32_t rateIndex = header >> 10 & 3;
  uint32_t padding = header >> 9 & 1;
  if (layerBits == 0 || version == 1 || rateIndex == 3 || bitrateIndex == 15) return Frame::kBad;
  if (bitrateIndex == 0) return Frame::kFreeFormat;
  bool mpeg1 = version == 3;
  uint32_t layer = 3 - layerBits;  // 0 Layer I, 1 Layer II, 2 Layer III
  double bitrate = 1000.0 * (mpeg1 ? kMpeg1Bitrates : kMpeg2Bitrates)[layer][bitrateIndex];
  double sampleRate = kSampleRates[version][rateIndex];
  double factor = layer == 0 ? (mpeg1 ? 48 : 24) : (mpeg1 ? 144 : 72);
  frameLength = static_cast<int64_t>(std::floor(factor * (bitrate / sampleRate))) + padding;
  stream = header & 0x001E0C00u;
  return frameLength < kShortestFrame ? Frame::kBad : Frame::kGood;
}

bool IsTextByte(uint8_t c) { return (c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool LooksLikeCsv(const uint8_t* data, int32_t length) {
  if (length <= 0) return false;
  int32_t commas = 0;
  int32_t quotes = 0;
  for (int32_t i = 0; i < length; ++i) {
    uint8_t c = data[i];
    if (c < 0x20 && c != '\r' && c != '\n') return false;
    if (c == ',') ++commas;
    if (c == '"') ++quotes;
  }
  return commas >= 1 && commas >= length / 20 && quotes >= length / 50;
}

bool LooksLikeMp3(const uint8_t* data, int32_t length) {
  int64_t position = 0;
  bool tagSkipped = false;
  if (length >= 3 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
    // Shorter than its own header: any tag is at least as long as the data.
    if (length < kId3HeaderBytes) return true;
    int64_t tagSize = (int64_t{data[6]} << 21) + (int64_t{data[7]} << 14) + (int64_t{data[8]} << 7) + data[9] +
                      kId3HeaderBytes;
    if (tagSize >= length) return true;
    position = tagSize;
    tagSkipped = true;
  }
  int64_t frameLength = 0;
  uint32_t firstStream = 0;
  // After a tag, whose own fields are a signature, the first header is enough.
  if (tagSkipped) return ReadFrame(data, length, position, frameLength, firstStream) != Frame::kBad;
  for (int frame = 0; frame < kFramesWanted; ++frame) {
    // Frames too long for three in the data: two in a row do.
    if (frame == kFramesWanted - 1 && position + 4 > length) return true;
    uint32_t stream = 0;
    if (ReadFrame(data, length, position, frameLength, stream) != Frame::kGood) return false;
    if (frame == 0) firstStream = stream;
    if (stream != firstStream) return false;
    position += frameLength;
  }
  return true;
}

bool LooksLikeText(const uint8_t* data, int32_t length) {
  int32_t looked = length < kTextBytesLooked ? length : kTextBytesLooked;
  for (int32_t i = 0; i < looked; ++i) {
    if (!IsTextByte(data[i])) return false;
  }
  return true;
}
