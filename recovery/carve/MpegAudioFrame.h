// MPEG audio frame headers (MPEG-1, MPEG-2 and MPEG-2.5, layers I to III),
// decoded once for the start check and the frame walk.
#pragma once

#include <cstdint>

struct MpegAudioFrame {
  uint32_t version;       // bits 19-20: 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5, 1 reserved
  uint32_t layer;         // bits 17-18: 3 layer I, 2 layer II, 1 layer III, 0 reserved
  uint32_t bitrateIndex;  // bits 12-15: 0 free format, 15 invalid
  uint32_t rateIndex;     // bits 10-11: 3 reserved
  uint32_t padding;       // bit 9: one slot more
  uint32_t length;        // the whole frame in bytes; 0 for free format
};

// The eleven set bits that start every frame header.
bool HasFrameSync(uint32_t header);

enum class FrameHeader { kGood, kBad, kFreeFormat };

// The 32-bit header as read big-endian from the medium; frame is filled for
// kGood and kFreeFormat.
FrameHeader DecodeMpegAudioFrame(uint32_t header, MpegAudioFrame& frame);

// The frames of one stream share version, layer and sample rate; the bitrate
// may change from frame to frame.
bool SameStream(const MpegAudioFrame& a, const MpegAudioFrame& b);
