#include "TiffDirectory.h"

namespace {

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint64_t kEntrySize = 12;

// TIFF itself, Olympus raw ("RO", "SR") and Panasonic raw (0x55).
bool IsTiffMagic(uint16_t magic) { return magic == 42 || magic == 0x4F52 || magic == 0x5352 || magic == 0x55; }

}  // namespace

TiffDirectory::TiffDirectory(const SectorWindow& data) : data_(data) {
  if (data.matches(0, "MM")) {
    bigEndian_ = true;
  } else if (!data.matches(0, "II")) {
    return;
  }
  if (!IsTiffMagic(U16(2))) return;
  first_ = U32(4);
  valid_ = first_ >= 8 && data_.has(first_, 2);
  if (!valid_) first_ = 0;
}

uint16_t TiffDirectory::EntryCount(uint32_t directory) const {
  if (!valid_ || directory < 8 || !data_.has(directory, 2)) return 0;
  const uint16_t count = U16(directory);
  return data_.has(directory + 2ULL, count * kEntrySize) ? count : 0;
}

uint32_t TiffDirectory::Next(uint32_t directory) const {
  const uint16_t count = EntryCount(directory);
  if (count == 0) return 0;
  const uint32_t next = U32(directory + 2ULL + count * kEntrySize);
  // A chain that points back at or before itself would never end.
  return next > directory && data_.has(next, 2) ? next : 0;
}

uint64_t TiffDirectory::Entry(uint32_t directory, uint16_t tag) const {
  const uint16_t count = EntryCount(directory);
  for (uint16_t i = 0; i < count; ++i) {
    const uint64_t entry = directory + 2ULL + i * kEntrySize;
    if (U16(entry) == tag) return entry;
  }
  return 0;
}

bool TiffDirectory::Value(uint32_t directory, uint16_t tag, uint32_t& value) const {
  const std::vector<uint32_t> values = Values(directory, tag, 1);
  if (values.empty()) return false;
  value = values[0];
  return true;
}

std::vector<uint32_t> TiffDirectory::Values(uint32_t directory, uint16_t tag, std::size_t limit) const {
  std::vector<uint32_t> values;
  const uint64_t entry = Entry(directory, tag);
  if (entry == 0) return values;
  const uint16_t type = U16(entry + 2);
  if (type != kShort && type != kLong) return values;
  const uint64_t width = type == kShort ? 2 : 4;
  const uint64_t count = U32(entry + 4);
  // Values that fit in four bytes sit in the entry itself.
  const uint64_t start = count * width <= 4 ? entry + 8 : U32(entry + 8);
  for (uint64_t i = 0; i < count && values.size() < limit; ++i) {
    const uint64_t at = start + i * width;
    if (!data_.has(at, width)) break;
    values.push_back(type == kShort ? U16(at) : U32(at));
  }
  return values;
}
