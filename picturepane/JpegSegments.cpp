#include "JpegSegments.h"

namespace {

constexpr uint8_t kMarker = 0xFF;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kEndOfImage = 0xD9;
// The headers sit in the first segments; more than this before the scan is
// damage.
constexpr int kMostSegments = 64;

}  // namespace

void ForEachJpegSegment(const SectorWindow& jpeg,
                        const std::function<bool(uint8_t marker, uint64_t at, uint16_t length)>& visit) {
  uint64_t at = 2;
  for (int segment = 0; segment < kMostSegments && jpeg.has(at, 4); ++segment) {
    if (jpeg.u8(at) != kMarker) return;
    const uint8_t marker = jpeg.u8(at + 1);
    if (marker == kMarker) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) return;
    const uint16_t length = jpeg.be16(at + 2);
    if (length < 2 || !jpeg.has(at + 2, length) || visit(marker, at, length)) return;
    at += 2 + length;
  }
}
