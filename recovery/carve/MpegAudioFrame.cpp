#include "MpegAudioFrame.h"

namespace {

constexpr uint32_t kFrameSync = 0xFFE00000;
constexpr uint32_t kShortestFrame = 6;
constexpr uint32_t kLayerI = 3;
constexpr uint32_t kLayerIII = 1;
constexpr uint32_t kMpeg1 = 3;

uint32_t SampleRate(const MpegAudioFrame& f) {
  static const uint32_t kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  return kRates[f.version][f.rateIndex];
}

// Kilobits per second, by layer (III, II, I) and bitrate index.
uint32_t BitrateKbps(const MpegAudioFrame& f) {
  static const uint32_t kMpeg1Rates[3][15] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}};
  static const uint32_t kMpeg2Rates[3][15] = {
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}};
  return (f.version == kMpeg1 ? kMpeg1Rates : kMpeg2Rates)[f.layer - 1][f.bitrateIndex];
}

// Layer I counts in four-byte slots of 384 samples; layers II and III in
// bytes of 1152 samples, except MPEG-2 and 2.5 layer III with 576.
uint32_t FrameBytes(const MpegAudioFrame& f) {
  const uint64_t bitsPerSecond = static_cast<uint64_t>(BitrateKbps(f)) * 1000;
  const uint64_t rate = SampleRate(f);
  if (f.layer == kLayerI) return static_cast<uint32_t>((12 * bitsPerSecond / rate + f.padding) * 4);
  const uint64_t factor = f.layer == kLayerIII && f.version != kMpeg1 ? 72 : 144;
  return static_cast<uint32_t>(factor * bitsPerSecond / rate + f.padding);
}

}  // namespace

bool HasFrameSync(uint32_t header) { return (header & kFrameSync) == kFrameSync; }

FrameHeader DecodeMpegAudioFrame(uint32_t header, MpegAudioFrame& frame) {
  if (!HasFrameSync(header)) return FrameHeader::kBad;
  frame = {(header >> 19) & 3, (header >> 17) & 3, (header >> 12) & 15, (header >> 10) & 3, (header >> 9) & 1, 0};
  if (frame.layer == 0 || frame.version == 1 || frame.rateIndex == 3 || frame.bitrateIndex == 15)
    return FrameHeader::kBad;
  if (frame.bitrateIndex == 0) return FrameHeader::kFreeFormat;
  frame.length = FrameBytes(frame);
  return frame.length < kShortestFrame ? FrameHeader::kBad : FrameHeader::kGood;
}

bool SameStream(const MpegAudioFrame& a, const MpegAudioFrame& b) {
  return a.version == b.version && a.layer == b.layer && a.rateIndex == b.rateIndex;
}
