// A TIFF file, and a camera RAW file built on TIFF, is a header and a chain
// of directories whose entries point at their data anywhere in the file and
// in any order: some writers put the directories first, some last. The file
// ends at the furthest byte that anything points at.
#include <cstdint>
#include <set>
#include <vector>

#include "FormatLengths.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

constexpr uint64_t kMaxLength = 1ULL << 31;
constexpr uint64_t kHeaderLength = 8;
constexpr uint32_t kMaxDirectories = 512;
constexpr uint32_t kMaxEntriesPerDirectory = 4096;
constexpr uint32_t kMaxEntries = 1u << 16;    // over all directories
constexpr uint64_t kMaxElements = 1u << 22;   // strip and tile places over all arrays
constexpr uint32_t kMaxPointers = 64;         // directories one entry points at
constexpr uint32_t kMaxDepth = 8;
constexpr uint32_t kBatch = 1024;             // places read before their lengths
constexpr uint64_t kEntryLength = 12;

constexpr uint16_t kStripOffsets = 0x111;
constexpr uint16_t kStripByteCounts = 0x117;
constexpr uint16_t kTileOffsets = 0x144;
constexpr uint16_t kTileByteCounts = 0x145;
constexpr uint16_t kSubDirectories = 0x14A;
constexpr uint16_t kJpegOffset = 0x201;
constexpr uint16_t kJpegLength = 0x202;
constexpr uint16_t kExif = 0x8769;
constexpr uint16_t kGps = 0x8825;
constexpr uint16_t kInteroperability = 0xA005;
constexpr uint16_t kMakerNote = 0x927C;
constexpr uint16_t kTypeDirectory = 13;

// Bytes per value of each field type; 0 for a type TIFF does not define.
uint64_t TypeSize(uint16_t type) {
  static const uint8_t kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
  return type < sizeof kSizes ? kSizes[type] : 0;
}

// How a directory's numbers are read.
struct Frame {
  uint64_t base = 0;     // what its offsets count from: the file's start but in some maker notes
  bool big = false;      // Motorola byte order
  bool note = false;     // inside a maker note, where tag numbers mean what the maker says
  uint64_t noteEnd = 0;  // where that note ends: its directories lie inside it
};

struct Entry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint32_t field = 0;  // the value, or where it lies when longer than 4 bytes
  uint64_t at = 0;     // the entry's own place

  bool present() const { return type != 0; }
  uint64_t bytes() const { return count * TypeSize(type); }
};

// The entries of one directory whose data is a list of places and lengths.
struct Pieces {
  Entry stripOffsets, stripCounts, tileOffsets, tileCounts, jpegOffset, jpegLength;
};

// A maker note that starts with a maker's prefix and then a directory.
struct NoteForm {
  const char* prefix;
  uint64_t prefixLength;
  uint64_t directoryAt;  // in the note
  int64_t orderAt;       // where "II" or "MM" names its byte order; -1: the file's own
  bool fromNote;         // offsets count from the note's start
};

const NoteForm kNoteForms[] = {
    {"OLYMPUS\0", 8, 12, 8, true},          {"OLYMP\0", 6, 8, -1, false},
    {"SONY DSC \0\0\0", 12, 12, -1, false}, {"Panasonic\0\0\0", 12, 12, -1, false},
    {"AOC\0", 4, 6, 4, false},
};

class TiffWalk {
 public:
  TiffWalk(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker)
      : cursor_(media, sector, bufferedSectors), worker_(worker),
        limit_(cursor_.bytesLeft() < kMaxLength ? cursor_.bytesLeft() : kMaxLength) {}

  // The file's length, or 0.
  uint64_t Length() {
    SectorWindow view;
    Frame frame;
    if (!cursor_.At(0, kHeaderLength, view) || !Header(view, 0, frame.big)) return 0;
    const uint64_t first = Read(view, 4, 4, frame.big);
    if (first < kHeaderLength || !Reach(0, kHeaderLength)) return 0;
    return Chain(first, frame, 0, true) && !Stopped() ? end_ : 0;
  }

 private:
  // TIFF in either byte order, Olympus ("IIRO", "IIRS", "MMOR") and Panasonic ("IIU").
  static bool Header(const SectorWindow& view, uint64_t at, bool& big) {
    if (view.matches(at, "II")) {
      const uint16_t magic = view.le16(at + 2);
      big = false;
      return magic == 42 || magic == 0x4F52 || magic == 0x5352 || magic == 0x55;
    }
    big = true;
    return view.matches(at, "MM") && (view.be16(at + 2) == 42 || view.be16(at + 2) == 0x4F52);
  }

  static uint64_t Read(const SectorWindow& view, uint64_t at, uint64_t width, bool big) {
    if (width == 1) return view.u8(at);
    if (width == 2) return big ? view.be16(at) : view.le16(at);
    return big ? view.be32(at) : view.le32(at);
  }

  // The number of width bytes (1, 2 or 4) at pos; false outside the bound
  // or where the medium cannot be read.
  bool Number(uint64_t pos, uint64_t width, bool big, uint64_t& value) {
    SectorWindow view;
    if (pos > limit_ || width > limit_ - pos || !cursor_.At(pos, width, view) || !view.has(0, width))
      return Beyond();
    value = Read(view, 0, width, big);
    return true;
  }

  // The bytes [pos, pos + bytes) belong to the file; false past the bound.
  bool Reach(uint64_t pos, uint64_t bytes) {
    if (pos > limit_ || bytes > limit_ - pos) return Beyond();
    if (pos + bytes > end_) end_ = pos + bytes;
    return true;
  }

  // Something lies past what can be read: the file may be cut short.
  bool Beyond() {
    beyond_ = true;
    return false;
  }

  bool Stopped() const { return worker_ != nullptr && worker_->stopRequested(); }

  // The directories from offset on; along their next links when chained.
  bool Chain(uint64_t offset, const Frame& frame, uint32_t depth, bool chained) {
    if (depth > kMaxDepth) return false;
    while (offset != 0) {
      if (Stopped()) return false;
      const uint64_t pos = frame.base + offset;
      // A directory met again is walked already: a loop ends here.
      if (!visited_.insert(pos).second) return true;
      if (visited_.size() > kMaxDirectories) return false;
      uint64_t entries = 0;
      if (!Directory(pos, frame, depth, entries)) return false;
      const uint64_t link = pos + 2 + entries * kEntryLength;
      if (!chained) {
        // The link every directory ends with counts where the medium holds
        // it, even when it is not followed.
        if (!frame.note && link + 4 <= limit_) Reach(link, 4);
        return true;
      }
      if (!Reach(link, 4) || !Number(link, 4, frame.big, offset)) return false;
    }
    return true;
  }

  bool Directory(uint64_t pos, const Frame& frame, uint32_t depth, uint64_t& entries) {
    if (!Number(pos, 2, frame.big, entries) || entries == 0 || entries > kMaxEntriesPerDirectory) return false;
    entriesSeen_ += static_cast<uint32_t>(entries);
    const uint64_t length = 2 + entries * kEntryLength;
    if (entriesSeen_ > kMaxEntries || !Reach(pos, length)) return false;
    if (frame.note && pos + length > frame.noteEnd) return false;
    Pieces pieces;
    for (uint64_t i = 0; i < entries; ++i) {
      Entry entry;
      if (!ReadEntry(pos + 2 + i * kEntryLength, frame, entry) || !TakeEntry(entry, frame, depth, pieces)) return false;
    }
    if (frame.note) return true;
    return Spans(pieces.stripOffsets, pieces.stripCounts, frame) &&
           Spans(pieces.tileOffsets, pieces.tileCounts, frame) && Spans(pieces.jpegOffset, pieces.jpegLength, frame);
  }

  bool ReadEntry(uint64_t at, const Frame& frame, Entry& entry) {
    SectorWindow view;
    if (!cursor_.At(at, kEntryLength, view) || !view.has(0, kEntryLength)) return Beyond();
    entry.tag = static_cast<uint16_t>(Read(view, 0, 2, frame.big));
    entry.type = static_cast<uint16_t>(Read(view, 2, 2, frame.big));
    entry.count = static_cast<uint32_t>(Read(view, 4, 4, frame.big));
    entry.field = static_cast<uint32_t>(Read(view, 8, 4, frame.big));
    entry.at = at;
    return TypeSize(entry.type) != 0;
  }

  // The entry's value bytes, and what it points at.
  bool TakeEntry(const Entry& entry, const Frame& frame, uint32_t depth, Pieces& pieces) {
    if (entry.bytes() > 4 && !Reach(frame.base + entry.field, entry.bytes())) return false;
    if (!frame.note) {
      switch (entry.tag) {
        case kSubDirectories: return Directories(entry, frame, depth, true);
        case kExif:
        case kGps:
        case kInteroperability: return Directories(entry, frame, depth, false);
        case kMakerNote: return MakerNote(entry, frame, depth);
        case kStripOffsets: pieces.stripOffsets = entry; return true;
        case kStripByteCounts: pieces.stripCounts = entry; return true;
        case kTileOffsets: pieces.tileOffsets = entry; return true;
        case kTileByteCounts: pieces.tileCounts = entry; return true;
        case kJpegOffset: pieces.jpegOffset = entry; return true;
        case kJpegLength: pieces.jpegLength = entry; return true;
        default: break;
      }
    }
    return entry.type != kTypeDirectory || Directories(entry, frame, depth, false);
  }

  // Value i of a list of 16- or 32-bit numbers.
  bool Element(const Entry& entry, const Frame& frame, uint64_t i, uint64_t& value) {
    const uint64_t width = TypeSize(entry.type);
    if (width != 2 && width != 4) return false;
    const uint64_t pos = entry.bytes() <= 4 ? entry.at + 8 : frame.base + entry.field;
    return Number(pos + i * width, width, frame.big, value);
  }

  bool Directories(const Entry& entry, const Frame& frame, uint32_t depth, bool chained) {
    if (entry.count == 0 || entry.count > kMaxPointers) return false;
    for (uint64_t i = 0; i < entry.count; ++i) {
      uint64_t offset = 0;
      if (!Element(entry, frame, i, offset) || offset == 0 || !Chain(offset, frame, depth + 1, chained)) return false;
    }
    return true;
  }

  // Places and their lengths, both present or both absent, as many of each;
  // a piece of no length leaves the file's end unknown.
  bool Spans(const Entry& places, const Entry& lengths, const Frame& frame) {
    if (!places.present() && !lengths.present()) return true;
    if (!places.present() || !lengths.present() || places.count != lengths.count || places.count == 0) return false;
    elementsSeen_ += places.count;
    if (elementsSeen_ > kMaxElements) return false;
    std::vector<uint64_t> starts;
    for (uint64_t first = 0; first < places.count; first += kBatch) {
      if (Stopped()) return false;
      const uint64_t n = places.count - first < kBatch ? places.count - first : kBatch;
      // All places of a batch first: the two lists may lie far apart.
      starts.assign(n, 0);
      for (uint64_t i = 0; i < n; ++i)
        if (!Element(places, frame, first + i, starts[i])) return false;
      for (uint64_t i = 0; i < n; ++i) {
        uint64_t length = 0;
        if (!Element(lengths, frame, first + i, length) || length == 0 || !Reach(frame.base + starts[i], length))
          return false;
      }
    }
    return true;
  }

  // A maker note's bytes count already; where it is a directory of a form
  // known here, what that points at counts too. A note that does not read
  // as one adds nothing more (the maker may have meant something else), but
  // one that points past what can be read leaves the file's end unknown.
  bool MakerNote(const Entry& entry, const Frame& frame, uint32_t depth) {
    if (entry.bytes() <= 4) return true;
    const uint64_t note = frame.base + entry.field;
    SectorWindow view;
    if (!cursor_.At(note, 18, view) || !view.has(0, 18)) return true;
    Frame inner = frame;
    inner.note = true;
    inner.noteEnd = note + entry.bytes();
    uint64_t directory = 0;
    if (!NoteDirectory(view, note, inner, directory) || directory + 2 > entry.bytes()) return true;
    const uint64_t saved = end_;
    beyond_ = false;
    if (Chain(note + directory - inner.base, inner, depth + 1, false)) return true;
    end_ = saved;
    return !beyond_;
  }

  // Where the note's directory lies in it, and the frame it is read in.
  static bool NoteDirectory(const SectorWindow& view, uint64_t note, Frame& inner, uint64_t& directory) {
    // Nikon: a TIFF header of its own 10 bytes in, which the offsets count from.
    if (view.matches(0, "Nikon\0\x02", 7)) {
      if (!Header(view, 10, inner.big)) return false;
      inner.base = note + 10;
      directory = 10 + Read(view, 14, 4, inner.big);
      return true;
    }
    for (const NoteForm& form : kNoteForms) {
      if (!view.matches(0, form.prefix, form.prefixLength)) continue;
      if (form.orderAt >= 0) {
        if (!view.matches(form.orderAt, "II") && !view.matches(form.orderAt, "MM")) return false;
        inner.big = view.matches(form.orderAt, "MM");
      }
      inner.base = form.fromNote ? note : inner.base;
      directory = form.directoryAt;
      return true;
    }
    // Canon: the note is a directory from its first byte.
    directory = 0;
    return true;
  }

  MediumCursor cursor_;
  const Thread* worker_;
  const uint64_t limit_;
  uint64_t end_ = 0;
  bool beyond_ = false;  // the last failure was a read past the bound or the medium
  std::set<uint64_t> visited_;
  uint32_t entriesSeen_ = 0;
  uint64_t elementsSeen_ = 0;
};

}  // namespace

uint64_t TiffFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker) {
  return TiffWalk(media, sector, bufferedSectors, worker).Length();
}
