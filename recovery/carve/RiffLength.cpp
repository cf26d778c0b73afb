// A RIFF file is one chunk: its size field counts what follows it. An AVI
// larger than one RIFF chunk goes on in "AVIX" chunks written right after it.
#include <cstdint>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

constexpr uint32_t kMaxExtensionChunks = 4096;  // 4 GiB each: far beyond any card

// The whole chunk at the view's start, with its pad byte; 0 when the size
// leaves no room for the form type.
uint64_t ChunkLength(const SectorWindow& chunk) {
  const uint64_t size = chunk.le32(4);
  if (size < 4) return 0;
  return 8 + size + (size & 1);
}

bool IsExtension(const SectorWindow& chunk) { return chunk.matches(0, "RIFF") && chunk.matches(8, "AVIX"); }

}  // namespace

uint64_t RiffFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  MediumCursor cursor(media, sector, bufferedSectors);
  SectorWindow chunk;
  if (!cursor.At(0, 12, chunk) || !chunk.has(0, 12) || !chunk.matches(0, "RIFF")) return 0;
  uint64_t length = ChunkLength(chunk);
  if (length == 0 || length > cursor.bytesLeft()) return 0;
  if (!chunk.matches(8, "AVI ")) return length;
  for (uint32_t n = 0; n < kMaxExtensionChunks; ++n) {
    if (worker != nullptr && worker->stopRequested()) return 0;
    // What follows is not read (the medium ends) or is no extension: the AVI ends.
    if (!cursor.At(length, 12, chunk) || !IsExtension(chunk)) return length;
    const uint64_t extension = ChunkLength(chunk);
    if (extension == 0 || extension > cursor.bytesLeft() - length) return 0;
    length += extension;
  }
  return 0;
}
