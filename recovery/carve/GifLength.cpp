// A GIF file is its header and logical screen descriptor (with the global
// colour table), then images and extensions, each carrying its data in
// sub-blocks of up to 255 bytes, and a trailer byte.
#include <cstdint>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

constexpr uint32_t kMaxSteps = 1u << 24;  // blocks and sub-blocks together
constexpr uint64_t kMaxLength = 1ULL << 30;
constexpr uint64_t kScreenEnd = 13;  // header and logical screen descriptor
constexpr uint8_t kImage = 0x2C;
constexpr uint8_t kExtension = 0x21;
constexpr uint8_t kTrailer = 0x3B;

// The colour table that a packed field's top bit announces.
uint64_t ColourTableBytes(uint8_t packed) { return (packed & 0x80) != 0 ? 3ULL << ((packed & 7) + 1) : 0; }

class GifWalk {
 public:
  GifWalk(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker)
      : cursor_(media, sector, bufferedSectors), worker_(worker),
        limit_(cursor_.bytesLeft() < kMaxLength ? cursor_.bytesLeft() : kMaxLength) {}

  // The file's length, or 0.
  uint64_t Length() {
    SectorWindow view;
    if (!At(0, kScreenEnd, view) || !(view.matches(0, "GIF87a") || view.matches(0, "GIF89a"))) return 0;
    pos_ = kScreenEnd + ColourTableBytes(view.u8(10));
    while (Step()) {
      if (!At(pos_, 10, view)) return 0;
      const uint8_t block = view.u8(0);
      if (block == kTrailer) return pos_ + 1 <= limit_ ? pos_ + 1 : 0;
      if (block == kImage) {
        // The descriptor, its colour table, and the LZW code size before the data.
        if (!view.has(0, 10)) return 0;
        pos_ += 10 + ColourTableBytes(view.u8(9)) + 1;
      } else if (block == kExtension) {
        pos_ += 2;  // the introducer and the label
      } else {
        return 0;
      }
      if (!SkipSubBlocks()) return 0;
    }
    return 0;
  }

 private:
  // Counts a step against the bound; false when it is spent or a stop is asked.
  bool Step() {
    if (++steps_ > kMaxSteps) return false;
    return worker_ == nullptr || !worker_->stopRequested();
  }

  bool At(uint64_t pos, uint64_t wanted, SectorWindow& view) {
    return pos < limit_ && cursor_.At(pos, wanted, view) && view.has(0, 1);
  }

  // Sub-blocks up to the empty one that ends them.
  bool SkipSubBlocks() {
    SectorWindow view;
    while (Step()) {
      if (!At(pos_, 1, view)) return false;
      const uint8_t size = view.u8(0);
      pos_ += 1 + static_cast<uint64_t>(size);
      if (size == 0) return true;
    }
    return false;
  }

  MediumCursor cursor_;
  const Thread* worker_;
  const uint64_t limit_;
  uint64_t pos_ = 0;
  uint32_t steps_ = 0;
};

}  // namespace

uint64_t GifFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  return GifWalk(media, sector, bufferedSectors, worker).Length();
}
