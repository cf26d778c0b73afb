// MPEG audio (MPEG-1, MPEG-2 and MPEG-2.5, layers I to III): three frame
// headers in a row, each found one frame length after the one before.
#include <cstdint>

#include "File.h"
#include "IdentifyProbe.h"
#include "MpegAudioFrame.h"

namespace {

// Frame data that runs on from the open MP3 record's last sector: the frame
// before this sector, found last.length + 1 bytes before its end, has the
// same version, layer, bitrate and sample rate. before holds the four
// sectors before this one.
bool ContinuesFrames(const SectorWindow& before, const MpegAudioFrame& last) {
  if (static_cast<uint64_t>(last.length) + 1 > before.size()) return false;
  uint64_t first = before.size() - last.length - 1;
  for (uint64_t q = first; q < first + 4; ++q) {
    uint32_t h = before.be32(q);
    if (h == 0xFFFFFFFF) return false;
    MpegAudioFrame f{};
    if (DecodeMpegAudioFrame(h, f) == FrameHeader::kBad || f.version != last.version || f.layer != last.layer) continue;
    return f.bitrateIndex == last.bitrateIndex && f.rateIndex == last.rateIndex;
  }
  return false;
}

// The sectors before are read into the buffer: the window is read again
// for the walk and the later rows, and when that fails no MP3 starts here.
bool ContinuesOpenRecord(IdentifyProbe& probe, const MpegAudioFrame& last) {
  const File* open = probe.openRecord;
  if (open == nullptr || !open->hasExtension("mp3") || open->runs.empty()) return false;
  if (static_cast<uint64_t>(open->lastSector()) + 1 != probe.sector || probe.sector < 4) return false;
  const bool continues =
      probe.media.ReadSectors(probe.sector - 4, 4) &&
      ContinuesFrames(SectorWindow(probe.media.buffer, 4 * static_cast<std::size_t>(probe.sectorSize())), last);
  return !probe.RestoreWindow() || continues;
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
  MpegAudioFrame frame{};
  for (int n = 0; n < 3; ++n) {
    if (!w.has(p, 4)) return false;
    FrameHeader result = DecodeMpegAudioFrame(w.be32(p), frame);
    if (result == FrameHeader::kFreeFormat) return tagSeen;
    if (result == FrameHeader::kBad) return false;
    p += frame.length;
    if (p > limit) return false;
  }
  if (!tagSeen && ContinuesOpenRecord(probe, frame)) return false;
  return true;
}
