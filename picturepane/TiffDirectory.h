// Reads the directories of a TIFF structure (a TIFF file, a camera raw file
// built on TIFF, or the EXIF block of a JPEG) in either byte order. Every
// offset comes from the data, so every read is checked against the view; a
// missing or broken entry reads as absent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SectorWindow.h"

class TiffDirectory {
 public:
  // Tags this library looks at.
  static constexpr uint16_t kOrientation = 0x0112;
  static constexpr uint16_t kStripOffsets = 0x0111;
  static constexpr uint16_t kStripByteCounts = 0x0117;
  static constexpr uint16_t kSubDirectories = 0x014A;
  static constexpr uint16_t kJpegOffset = 0x0201;
  static constexpr uint16_t kJpegLength = 0x0202;

  // data begins with the byte-order mark ("II" or "MM").
  explicit TiffDirectory(const SectorWindow& data);

  // The header is sound (byte order, one of the magic numbers of TIFF and
  // the raw formats built on it).
  bool Valid() const { return valid_; }
  // Offset of the first directory, 0 when there is none.
  uint32_t First() const { return first_; }
  // Offset of the directory after this one, 0 at the end of the chain.
  uint32_t Next(uint32_t directory) const;
  // The first value of a SHORT or LONG entry.
  bool Value(uint32_t directory, uint16_t tag, uint32_t& value) const;
  // Up to limit values of a SHORT or LONG entry; empty when absent.
  std::vector<uint32_t> Values(uint32_t directory, uint16_t tag, std::size_t limit) const;

 private:
  uint16_t U16(uint64_t offset) const { return bigEndian_ ? data_.be16(offset) : data_.le16(offset); }
  uint32_t U32(uint64_t offset) const { return bigEndian_ ? data_.be32(offset) : data_.le32(offset); }
  // Offset of the tag's 12-byte entry, 0 when the directory does not hold it.
  uint64_t Entry(uint32_t directory, uint16_t tag) const;
  uint16_t EntryCount(uint32_t directory) const;

  SectorWindow data_;
  bool bigEndian_ = false;
  bool valid_ = false;
  uint32_t first_ = 0;
};
