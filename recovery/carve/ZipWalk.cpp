// The length of a ZIP archive, from its records: each local file header
// carries the size of its data, each central directory entry its own size,
// and the end record closes the archive. Archives whose headers leave the
// sizes to a data descriptor have no length this way.
#include <cstdint>

#include "IdentifyProbe.h"
#include "MediumCursor.h"
#include "Thread.h"

namespace {

constexpr uint32_t kLocalHeader = 0x04034B50;
constexpr uint32_t kCentralEntry = 0x02014B50;
constexpr uint32_t kEndRecord = 0x06054B50;
constexpr uint32_t kZip64EndRecord = 0x06064B50;
constexpr uint32_t kZip64Locator = 0x07064B50;
constexpr uint16_t kZip64ExtraTag = 1;
constexpr uint32_t kMaxRecords = 1u << 22;  // two for each of 2 million files

// Moves pos on by a length read from the archive; false when that would
// wrap around (a hostile length) and so could walk in circles.
bool Advance(uint64_t& pos, uint64_t by) {
  if (by > UINT64_MAX - pos) return false;
  pos += by;
  return true;
}

// The compressed size in the ZIP64 extra block (tag 1), when the header's
// own field says it is there.
bool Zip64CompressedSize(const SectorWindow& header, uint64_t nameLength, uint64_t extraLength, uint64_t& size) {
  uint64_t at = 30 + nameLength;
  uint64_t end = at + extraLength;
  while (at + 4 <= end && header.has(at, 4)) {
    uint16_t tag = header.le16(at);
    uint16_t blockLength = header.le16(at + 2);
    if (tag == kZip64ExtraTag && header.has(at + 12, 8)) {
      size = header.le64(at + 12);
      return true;
    }
    at += 4 + static_cast<uint64_t>(blockLength);
  }
  return false;
}

}  // namespace

uint64_t ZipArchiveLength(Media& media, uint32_t sector, uint32_t windowSectors, const Thread* worker) {
  MediumCursor cursor(media, sector, windowSectors);
  uint64_t pos = 0;
  for (uint32_t n = 0; n < kMaxRecords; ++n) {
    if (worker != nullptr && worker->stopRequested()) return 0;
    SectorWindow record;
    if (!cursor.At(pos, 46, record)) return 0;
    uint64_t step = 0;
    switch (record.le32(0)) {
      case kCentralEntry:
        // Name, extra field and comment follow the fixed 46 bytes.
        step = 46 + static_cast<uint64_t>(record.le16(28)) + record.le16(30) + record.le16(32);
        break;
      case kLocalHeader: {
        uint64_t nameLength = record.le16(26);
        uint64_t extraLength = record.le16(28);
        uint64_t compressed = record.le32(18);
        // A size of all ones (or 0x7FFFFFFF, as some writers put it) stands
        // for the 64-bit size in the extra field.
        if (compressed == 0xFFFFFFFF || compressed == 0x7FFFFFFF) {
          SectorWindow header;
          if (cursor.At(pos, 30 + nameLength + extraLength, header))
            Zip64CompressedSize(header, nameLength, extraLength, compressed);
        }
        if (!Advance(step, 30 + nameLength + extraLength) || !Advance(step, compressed)) return 0;
        break;
      }
      case kZip64EndRecord:
        if (!Advance(step, 12) || !Advance(step, record.le64(4))) return 0;
        break;
      case kZip64Locator:
        step = 20;
        break;
      case kEndRecord:
        return pos + 22 + record.le16(20);  // the record and its comment
      default:
        return 0;
    }
    if (!Advance(pos, step)) return 0;
  }
  return 0;
}
