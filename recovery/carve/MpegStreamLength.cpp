// An MPEG program stream is a run of packs up to its end code. A pack is its
// header (MPEG-1: 12 bytes; MPEG-2: 14 bytes and up to 7 stuffing bytes),
// perhaps a system header, then packets; the system header and every packet
// carry a 16-bit length of what follows it.
#include <cstdint>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

constexpr uint32_t kMaxCodes = 1u << 24;  // 16 million packs and packets
constexpr uint64_t kMaxLength = 1ULL << 32;
constexpr uint32_t kStartPrefix = 0x000001;
constexpr uint8_t kEndCode = 0xB9;
constexpr uint8_t kPack = 0xBA;
constexpr uint8_t kSystemHeader = 0xBB;
constexpr uint64_t kMpeg2PackBytes = 14;

// The pack header at the view's start; 0 when its marker bits fit neither
// MPEG-1 ('0010') nor MPEG-2 ('01').
uint64_t PackLength(const SectorWindow& pack) {
  const uint8_t marker = pack.u8(4);
  if ((marker & 0xC0) == 0x40) return pack.has(0, kMpeg2PackBytes) ? kMpeg2PackBytes + (pack.u8(13) & 7) : 0;
  if ((marker & 0xF0) == 0x20) return 12;
  return 0;
}

}  // namespace

uint64_t MpegStreamFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  MediumCursor cursor(media, sector, bufferedSectors);
  const uint64_t limit = cursor.bytesLeft() < kMaxLength ? cursor.bytesLeft() : kMaxLength;
  SectorWindow code;
  if (!cursor.At(0, kMpeg2PackBytes, code) || !code.has(0, 5) || code.be32(0) != (kStartPrefix << 8 | kPack)) return 0;
  uint64_t pos = 0;
  for (uint32_t n = 0; n < kMaxCodes; ++n) {
    if (worker != nullptr && worker->stopRequested()) return 0;
    if (pos + 4 > limit || !cursor.At(pos, kMpeg2PackBytes, code) || !code.has(0, 4)) return 0;
    if (code.be32(0) >> 8 != kStartPrefix) return 0;
    const uint8_t id = code.u8(3);
    uint64_t length = 0;
    if (id == kEndCode) return pos + 4;
    if (id == kPack) {
      length = code.has(0, 5) ? PackLength(code) : 0;
    } else if (id >= kSystemHeader) {
      length = code.has(0, 6) ? 6 + static_cast<uint64_t>(code.be16(4)) : 0;
    }
    if (length == 0) return 0;
    pos += length;
  }
  return 0;
}
