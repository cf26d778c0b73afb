// An ISO base media or QuickTime file is a row of top-level boxes, each a
// 32-bit size (1: a 64-bit size follows the type; 0: to the end of the file)
// and a four-letter type. The file ends after the last box of a type that
// belongs at the top level; whatever follows is another file or leftovers.
#include <cstdint>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

// A fragmented recording of ten hours in half-second fragments, twice over.
constexpr uint32_t kMaxBoxes = 1u << 18;
constexpr uint64_t kHeader = 8;
constexpr uint64_t kLargeHeader = 16;
constexpr uint64_t kUserType = 16;  // the extended type of a uuid box

// The boxes that stand at the top level in ISO and QuickTime files (PICT is
// the preview a pnot box points at).
const char* const kTopLevelTypes[] = {"ftyp", "pdin", "moov", "moof", "mfra", "mdat", "free", "skip", "meta", "meco",
                                      "styp", "sidx", "ssix", "prft", "emsg", "uuid", "wide", "pnot", "PICT"};

bool IsTopLevel(const SectorWindow& box) {
  for (const char* type : kTopLevelTypes)
    if (box.matches(4, type, 4)) return true;
  return false;
}

uint64_t Be64(const SectorWindow& box, uint64_t offset) {
  return static_cast<uint64_t>(box.be32(offset)) << 32 | box.be32(offset + 4);
}

// The whole box at the view's start; 0 when its size cannot hold its header
// or is "to the end of the file", which a carve cannot know.
uint64_t BoxLength(const SectorWindow& box) {
  const uint32_t size = box.be32(0);
  uint64_t length = size;
  uint64_t header = kHeader;
  if (size == 1) {
    if (!box.has(0, kLargeHeader)) return 0;
    length = Be64(box, 8);
    header = kLargeHeader;
  }
  if (box.matches(4, "uuid")) header += kUserType;
  return length < header ? 0 : length;
}

// What the walk has seen: a movie needs its description and its data.
struct Seen {
  bool movie = false;
  bool data = false;
};

uint64_t EndAt(const Seen& seen, uint64_t pos) { return seen.movie && seen.data ? pos : 0; }

}  // namespace

uint64_t IsoMediaFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  MediumCursor cursor(media, sector, bufferedSectors);
  const uint64_t limit = cursor.bytesLeft();
  SectorWindow box;
  Seen seen;
  uint64_t pos = 0;
  for (uint32_t n = 0; n < kMaxBoxes; ++n) {
    if (worker != nullptr && worker->stopRequested()) return 0;
    // The medium ends, or no box of a top-level type follows: the file ends here.
    if (limit - pos < kHeader) return EndAt(seen, pos);
    if (!cursor.At(pos, kLargeHeader, box)) return 0;
    if (!box.has(0, kHeader) || !IsTopLevel(box)) return EndAt(seen, pos);
    // The file-type box comes first: a later one begins the next file.
    if (pos != 0 && box.matches(4, "ftyp")) return EndAt(seen, pos);
    const bool movie = box.matches(4, "moov");
    // Two movies run together: where the first ends is not known.
    if (movie && seen.movie) return 0;
    const uint64_t length = BoxLength(box);
    if (length == 0 || length > limit - pos) return 0;
    seen.movie = seen.movie || movie;
    seen.data = seen.data || box.matches(4, "mdat");
    pos += length;
  }
  return 0;
}
