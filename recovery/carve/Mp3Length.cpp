// An MP3 file is an optional ID3v2 tag, the frames of one MPEG audio stream,
// and optional closing tags: an APE tag that carries its header, then an
// ID3v1 block.
#include <cstdint>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "MpegAudioFrame.h"
#include "Thread.h"

namespace {

constexpr uint64_t kMaxLength = 1ULL << 32;
constexpr uint32_t kMaxFrames = 1u << 26;  // beyond 4 GiB of the shortest frames that occur
constexpr uint32_t kFewestFrames = 5;      // fewer are too likely to be chance
constexpr uint64_t kId3HeaderBytes = 10;
constexpr uint8_t kId3Footer = 0x10;
constexpr uint64_t kId3v1Bytes = 128;
constexpr uint64_t kApeHeaderBytes = 32;
constexpr uint32_t kApeLongestTag = 1u << 24;
constexpr uint32_t kApeHasHeader = 1u << 31;
constexpr uint32_t kApeIsHeader = 1u << 29;

// The ID3v2 tag at the view's start with its header (and footer): its four
// size bytes hold seven bits each. 0 when a size byte has its top bit set.
uint64_t Id3v2Length(const SectorWindow& tag) {
  uint64_t size = 0;
  for (uint64_t i = 6; i < 10; ++i) {
    if (tag.u8(i) >= 0x80) return 0;
    size = size * 128 + tag.u8(i);
  }
  return kId3HeaderBytes + size + ((tag.u8(5) & kId3Footer) != 0 ? kId3HeaderBytes : 0);
}

class Mp3Walk {
 public:
  Mp3Walk(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker)
      : cursor_(media, sector, bufferedSectors), worker_(worker),
        limit_(cursor_.bytesLeft() < kMaxLength ? cursor_.bytesLeft() : kMaxLength) {}

  // The file's length, or 0.
  uint64_t Length() {
    SectorWindow view;
    if (!At(0, kId3HeaderBytes, view)) return 0;
    uint64_t pos = 0;
    if (view.matches(0, "ID3")) {
      if (!view.has(0, kId3HeaderBytes) || (pos = Id3v2Length(view)) == 0) return 0;
    }
    uint32_t frames = 0;
    if (!WalkFrames(pos, frames) || frames < kFewestFrames) return 0;
    pos += ApeTagLength(pos);
    return pos + Id3v1Length(pos);
  }

 private:
  // The bytes from pos on; false past the walk's bound or when the read fails.
  bool At(uint64_t pos, uint64_t wanted, SectorWindow& view) {
    return pos < limit_ && cursor_.At(pos, wanted, view) && view.has(0, 1);
  }

  // Moves pos past the frames of the stream whose first frame is at pos, up
  // to the first header that does not continue it or the last frame the
  // medium holds whole. False when a read fails or the bound is reached.
  bool WalkFrames(uint64_t& pos, uint32_t& frames) {
    MpegAudioFrame first{};
    SectorWindow view;
    for (; frames < kMaxFrames; ++frames) {
      if (worker_ != nullptr && worker_->stopRequested()) return false;
      if (pos + 4 > cursor_.bytesLeft()) return true;
      if (!At(pos, 4, view) || !view.has(0, 4)) return false;
      MpegAudioFrame frame{};
      if (DecodeMpegAudioFrame(view.be32(0), frame) != FrameHeader::kGood) return true;
      if (frames == 0) first = frame;
      if (!SameStream(first, frame) || pos + frame.length > cursor_.bytesLeft()) return true;
      if (pos + frame.length > limit_) return false;
      pos += frame.length;
    }
    return false;
  }

  // An APE tag at pos that starts with its header: the header and what its
  // size counts (items and footer); 0 otherwise.
  uint64_t ApeTagLength(uint64_t pos) {
    SectorWindow tag;
    if (!At(pos, kApeHeaderBytes, tag) || !tag.has(0, kApeHeaderBytes) || !tag.matches(0, "APETAGEX")) return 0;
    const uint32_t size = tag.le32(12);
    const uint32_t flags = tag.le32(20);
    if ((flags & kApeHasHeader) == 0 || (flags & kApeIsHeader) == 0 || size < kApeHeaderBytes || size > kApeLongestTag)
      return 0;
    return pos + kApeHeaderBytes + size <= limit_ ? kApeHeaderBytes + size : 0;
  }

  uint64_t Id3v1Length(uint64_t pos) {
    SectorWindow tag;
    if (pos + kId3v1Bytes > limit_ || !At(pos, 3, tag) || !tag.matches(0, "TAG")) return 0;
    return kId3v1Bytes;
  }

  MediumCursor cursor_;
  const Thread* worker_;
  const uint64_t limit_;
};

}  // namespace

uint64_t Mp3FileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  return Mp3Walk(media, sector, bufferedSectors, worker).Length();
}
