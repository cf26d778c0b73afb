// A PNG file is its signature and chunks (length, type, data, CRC) up to the
// IEND chunk.
#include <cstdint>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

constexpr uint32_t kMaxChunks = 1u << 20;
constexpr uint64_t kMaxLength = 1ULL << 32;
constexpr uint32_t kLongestChunk = 0x7FFFFFFF;
const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool IsLetter(uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsChunkType(const SectorWindow& chunk) {
  for (uint64_t i = 4; i < 8; ++i)
    if (!IsLetter(chunk.u8(i))) return false;
  return true;
}

}  // namespace

uint64_t PngFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  MediumCursor cursor(media, sector, bufferedSectors);
  SectorWindow chunk;
  if (!cursor.At(0, sizeof kSignature, chunk) || !chunk.matches(0, kSignature, sizeof kSignature)) return 0;
  const uint64_t limit = cursor.bytesLeft() < kMaxLength ? cursor.bytesLeft() : kMaxLength;
  uint64_t pos = sizeof kSignature;
  for (uint32_t n = 0; n < kMaxChunks; ++n) {
    if (worker != nullptr && worker->stopRequested()) return 0;
    if (!cursor.At(pos, 8, chunk) || !chunk.has(0, 8)) return 0;
    const uint32_t dataLength = chunk.be32(0);
    if (dataLength > kLongestChunk || !IsChunkType(chunk)) return 0;
    pos += 12 + static_cast<uint64_t>(dataLength);
    if (pos > limit) return 0;
    if (chunk.matches(4, "IEND")) return dataLength == 0 ? pos : 0;
  }
  return 0;
}
