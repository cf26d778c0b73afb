#include "PdfEnd.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "File.h"
#include "Media.h"
#include "Thread.h"

namespace {

constexpr uint64_t kLookedBack = 64ULL << 20;
const char kEof[] = "%%EOF";
constexpr uint64_t kEofBytes = sizeof kEof - 1;
// What a chunk needs of the chunk after it: the rest of a marker that starts
// in its last byte, and a CR LF after that.
constexpr std::size_t kCarried = kEofBytes + 1;

// The end after the marker at bytes[at], with the line end that follows it
// inside the count bytes.
uint64_t AfterLineEnd(const uint8_t* bytes, uint64_t count, uint64_t at) {
  uint64_t end = at + kEofBytes;
  if (end < count && bytes[end] == '\r') ++end;
  if (end < count && bytes[end] == '\n') ++end;
  return end;
}

// The last marker that starts in the first starts bytes and lies whole in
// the count bytes; false when there is none.
bool LastMarker(const uint8_t* bytes, uint64_t starts, uint64_t count, uint64_t& at) {
  if (count < kEofBytes) return false;
  for (uint64_t p = std::min(starts, count - kEofBytes + 1); p-- > 0;) {
    if (std::memcmp(bytes + p, kEof, kEofBytes) == 0) {
      at = p;
      return true;
    }
  }
  return false;
}

}  // namespace

uint64_t PdfEndLength(Media& media, const File& record, const Thread* worker) {
  const uint32_t ss = media.sectorSize;
  if (ss == 0 || media.buffer == nullptr) return 0;
  const uint64_t size = record.size;
  uint64_t chunkEnd = (size + ss - 1) / ss;  // the file's sectors are numbered from 0
  uint64_t runBase = record.countSectors();
  if (chunkEnd > runBase) return 0;
  std::vector<uint8_t> scratch;
  std::vector<uint8_t> later;  // the first bytes of the chunk after this one
  for (auto run = record.runs.rbegin(); run != record.runs.rend(); ++run) {
    runBase -= run->count;
    while (chunkEnd > runBase) {
      if (worker != nullptr && worker->stopRequested()) return 0;
      const uint64_t count = std::min<uint64_t>(chunkEnd - runBase, Media::kMaxSectorsPerRead);
      const uint64_t chunkStart = chunkEnd - count;
      if (!media.ReadSectors(static_cast<uint32_t>(run->first + (chunkStart - runBase)), static_cast<uint32_t>(count)))
        return 0;
      const std::size_t bytes = static_cast<std::size_t>(count * ss);
      scratch.assign(media.buffer, media.buffer + bytes);
      scratch.insert(scratch.end(), later.begin(), later.end());
      const uint64_t offset = chunkStart * ss;
      const uint64_t valid = std::min<uint64_t>(scratch.size(), size - offset);
      uint64_t at = 0;
      if (LastMarker(scratch.data(), bytes, valid, at)) return offset + AfterLineEnd(scratch.data(), valid, at);
      later.assign(media.buffer, media.buffer + std::min(bytes, kCarried));
      chunkEnd = chunkStart;
      if (size - offset >= kLookedBack) return 0;
    }
  }
  return 0;
}

void CutPdfAtLastEnd(Media& media, File& record, const Thread* worker) {
  if (!record.hasExtension("pdf")) return;
  const uint64_t length = PdfEndLength(media, record, worker);
  if (length != 0) record.size = length;
}
