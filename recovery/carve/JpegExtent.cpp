#include "JpegExtent.h"

#include <cstring>

#include "Media.h"
#include "Thread.h"
#include "Trace.h"

namespace {

// A position in the file: sector b of the medium and offset i in it. The
// source's buffer always holds sector b.
class JpegWalk {
 public:
  JpegWalk(Media& media, uint32_t start, const Thread* worker)
      : media_(media), worker_(worker), ss_(media.sectorSize), max_(static_cast<uint32_t>(media.sectorCount)),
        start_(start), b_(start) {}

  uint32_t max() const { return max_; }
  bool usable() const { return ss_ >= 6 && b_ < max_; }
  uint32_t offset() const { return i_; }
  uint8_t byte() const { return media_.buffer[i_]; }
  uint8_t at(uint32_t offset) const { return media_.buffer[offset]; }
  uint64_t lengthSoFar() const { return static_cast<uint64_t>(b_ - start_) * ss_ + i_ + 1; }

  bool advance() {
    if (++i_ < ss_) return true;
    i_ = 0;
    return moveTo(static_cast<uint64_t>(b_) + 1);
  }

  // Passes over the bytes that are not FF, a sector's rest at a time, and
  // stops at the next FF; false when the file ends first.
  bool skipToFF() {
    for (;;) {
      const uint8_t* at = media_.buffer + i_;
      const void* found = std::memchr(at, 0xFF, ss_ - i_);
      if (found != nullptr) {
        i_ += static_cast<uint32_t>(static_cast<const uint8_t*>(found) - at);
        return true;
      }
      i_ = ss_ - 1;
      if (!advance()) return false;
    }
  }

  // Goes to offset m counted from the start of the current sector.
  bool seek(int64_t m) {
    if (m < 0) return false;
    if (m < ss_) {
      i_ = static_cast<uint32_t>(m);
      return true;
    }
    i_ = static_cast<uint32_t>(m % ss_);
    return moveTo(b_ + static_cast<uint64_t>(m) / ss_);
  }

 private:
  bool moveTo(uint64_t sector) {
    if (sector >= max_) return false;
    if (worker_ != nullptr && worker_->stopRequested()) return false;
    b_ = static_cast<uint32_t>(sector);
    return media_.ReadSectors(b_, 1);
  }

  Media& media_;
  const Thread* worker_;
  const uint32_t ss_;
  const uint32_t max_;
  const uint32_t start_;
  uint32_t b_;
  uint32_t i_ = 0;
};

// Marker after marker, each found by the length of the segment before it,
// until the start of scan.
bool SkipToStartOfScan(JpegWalk& walk, int64_t m) {
  for (;;) {
    if (!walk.seek(m) || walk.byte() != 0xFF || !walk.advance()) return false;
    if (walk.byte() == 0xDA) return true;
    if (!walk.advance()) return false;
    int64_t high = walk.byte();
    if (!walk.advance()) return false;
    int64_t low = walk.byte();
    m = static_cast<int64_t>(walk.offset()) + high * 256 + low - 1;
  }
}

// The first FF D9 after the start of scan ends the file; a byte after FF that
// is not D9 is looked at again as it may begin the pair.
bool FindEndOfImage(JpegWalk& walk) {
  if (!walk.advance()) return false;
  for (;;) {
    if (!walk.skipToFF() || !walk.advance()) return false;
    if (walk.byte() == 0xD9) return true;
  }
}

}  // namespace

bool jpegExtent(Media& media, uint32_t start, uint64_t& lengthOut, const Thread* worker) {
  JpegWalk walk(media, start, worker);
  TraceMessage("Found JPG beginning at sector %d (max=%d)", start, walk.max());
  if (walk.usable()) {
    int64_t firstMarker = 4 + walk.at(4) * 256 + walk.at(5);
    if (SkipToStartOfScan(walk, firstMarker) && FindEndOfImage(walk)) {
      lengthOut = walk.lengthSoFar();
      TraceMessage("JPEG file size determined to be %u", static_cast<uint32_t>(lengthOut));
      return true;
    }
  }
  TraceMessage("JPEG file apparently not valid");
  return false;
}
