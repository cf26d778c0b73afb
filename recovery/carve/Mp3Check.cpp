// MPEG audio (MPEG-1, MPEG-2 and MPEG-2.5, layers I to III): three frame
// headers in a row, each found one frame length after the one before.
#include <cstdint>

#include "File.h"
#include "IdentifyProbe.h"

namespace {

constexpr uint32_t kFrameSync = 0xFFE00000;

struct FrameHeader {
  uint32_t version;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
  uint32_t layer;    // 3: layer I, 2: layer II, 1: layer III
  uint32_t bitrateIndex;
  uint32_t rateIndex;
  uint32_t padding;
};

FrameHeader Decode(uint32_t h) {
  return {(h >> 19) & 3, (h >> 17) & 3, (h >> 12) & 15, (h >> 10) & 3, (h >> 9) & 1};
}

bool HasSync(uint32_t h) { return (h & kFrameSync) == kFrameSync; }

uint32_t SampleRate(const FrameHeader& f) {
  static const uint32_t kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  return f.rateIndex == 3 ? 0 : kRates[f.version][f.rateIndex];
}

// Kilobits per second; index 0 is free format, 15 is invalid.
uint32_t BitrateKbps(const FrameHeader& f) {
  static const uint32_t kMpeg1[3][15] = {
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // layer III
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // layer II
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}};  // layer I
  static const uint32_t kMpeg2[3][15] = {
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256}};
  return f.version == 3 ? kMpeg1[f.layer - 1][f.bitrateIndex] : kMpeg2[f.layer - 1][f.bitrateIndex];
}

uint32_t FrameFactor(const FrameHeader& f) {
  bool mpeg1 = f.version == 3;
  if (f.layer == 3) return mpeg1 ? 48 : 24;
  return mpeg1 ? 144 : 72;
}

enum class Frame { kGood, kBad, kFreeFormat };

// The header at h: its frame length, or why there is none.
Frame FrameLength(uint32_t h, uint32_t& length, FrameHeader& header) {
  if (!HasSync(h)) return Frame::kBad;
  header = Decode(h);
  if (header.layer == 0 || header.version == 1 || header.rateIndex == 3 || header.bitrateIndex == 15)
    return Frame::kBad;
  if (header.bitrateIndex == 0) return Frame::kFreeFormat;
  uint64_t bitsPerSecond = static_cast<uint64_t>(BitrateKbps(header)) * 1000;
  length = static_cast<uint32_t>(bitsPerSecond * FrameFactor(header) / SampleRate(header)) + header.padding;
  return length < 6 ? Frame::kBad : Frame::kGood;
}

bool SameExtension(const File& record, const char* extension) {
  std::string own = record.shortExtension();
  if (own.size() != 3) return false;
  for (int i = 0; i < 3; ++i)
    if ((own[i] | 0x20) != extension[i]) return false;
  return true;
}

// Frame data that runs on from the open MP3 record's last sector: the frame
// before this sector, found lastLength + 1 bytes before its end, has the
// same version, layer, bitrate and sample rate.
bool ContinuesOpenRecord(IdentifyProbe& probe, const FrameHeader& last, uint32_t lastLength) {
  const File* open = probe.openRecord;
  if (open == nullptr || !SameExtension(*open, "mp3") || open->runs.empty()) return false;
  if (static_cast<uint64_t>(open->lastSector()) + 1 != probe.sector || probe.sector < 4) return false;
  if (!probe.media.ReadSectors(probe.sector - 4, 4)) return false;
  SectorWindow before(probe.media.buffer, 4 * static_cast<std::size_t>(probe.sectorSize()));
  if (static_cast<uint64_t>(lastLength) + 1 > before.size()) return false;
  uint64_t first = before.size() - lastLength - 1;
  for (uint64_t q = first; q < first + 4; ++q) {
    uint32_t h = before.be32(q);
    if (h == 0xFFFFFFFF) return false;
    if (!HasSync(h)) continue;
    FrameHeader f = Decode(h);
    if (f.version != last.version || f.layer != last.layer) continue;
    return f.bitrateIndex == last.bitrateIndex && f.rateIndex == last.rateIndex;
  }
  return false;
}

}  // namespace

bool Mp3Starts(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  const uint64_t limit = 8ULL * probe.sectorSize();
  bool tagSeen = false;
  uint64_t p = 0;
  if (w.matches(0, "ID3")) {
    uint64_t tagSize = ((static_cast<uint64_t>(w.u8(6)) * 128 + w.u8(7)) * 128 + w.u8(8)) * 128 + w.u8(9) + 10;
    if (tagSize >= limit) return false;
    p = tagSize;
    tagSeen = true;
  }
  FrameHeader header{};
  uint32_t length = 0;
  for (int frame = 0; frame < 3; ++frame) {
    if (!w.has(p, 4)) return false;
    Frame result = FrameLength(w.be32(p), length, header);
    if (result == Frame::kFreeFormat) return tagSeen;
    if (result == Frame::kBad) return false;
    p += length;
    if (p > limit) return false;
  }
  if (!tagSeen && ContinuesOpenRecord(probe, header, length)) return false;
  return true;
}
