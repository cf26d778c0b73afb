#include "PictureSize.h"

#include <cstdlib>

#include "DecoderInput.h"
#include "JpegSegments.h"
#include "TiffDirectory.h"

namespace {

// Start of frame markers C0..CF, without DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameHeader(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool JpegSize(const SectorWindow& data, ClaimedSize& size) {
  bool found = false;
  ForEachJpegSegment(data, [&](uint8_t marker, uint64_t at, uint16_t length) {
    if (!IsFrameHeader(marker) || length < 7) return false;
    size.height = data.be16(at + 5);
    size.width = data.be16(at + 7);
    found = true;
    return true;
  });
  return found;
}

bool TiffSize(const SectorWindow& data, ClaimedSize& size) {
  TiffDirectory tiff(data);
  return tiff.Valid() && tiff.Value(tiff.First(), 0x0100, size.width) && tiff.Value(tiff.First(), 0x0101, size.height);
}

}  // namespace

bool ReadClaimedSize(const SectorWindow& data, ClaimedSize& size) {
  if (IsJpeg(data)) return JpegSize(data, size);
  if (data.matches(0, "\x89PNG\r\n\x1a\n") && data.has(16, 8)) {
    size = {data.be32(16), data.be32(20)};
    return true;
  }
  if ((data.matches(0, "GIF87a") || data.matches(0, "GIF89a")) && data.has(6, 4)) {
    size = {data.le16(6), data.le16(8)};
    return true;
  }
  if (data.matches(0, "BM") && data.has(14, 12) && data.le32(14) >= 40) {
    // Negative heights mark top-down rows.
    size = {data.le32(18), static_cast<uint32_t>(std::abs(static_cast<int32_t>(data.le32(22))))};
    return true;
  }
  return TiffSize(data, size);
}
