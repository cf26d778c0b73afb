// A bounded view of bytes read from the medium. Every read names its offset
// and width and is checked against the view: outside it a number reads as 0
// and a comparison fails, so a check can take offsets from the data itself
// without ever reading beyond what was read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class SectorWindow {
 public:
  SectorWindow() = default;
  SectorWindow(const uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }

  // True when the bytes [offset, offset + width) lie inside the view.
  bool has(uint64_t offset, uint64_t width) const { return offset <= size_ && width <= size_ - offset; }

  uint8_t u8(uint64_t offset) const { return has(offset, 1) ? data_[offset] : 0; }
  uint16_t le16(uint64_t offset) const { return has(offset, 2) ? static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8) : 0; }
  uint16_t be16(uint64_t offset) const { return has(offset, 2) ? static_cast<uint16_t>(data_[offset] << 8 | data_[offset + 1]) : 0; }
  uint32_t le32(uint64_t offset) const { return has(offset, 4) ? Little(offset, 4) : 0; }
  uint32_t be32(uint64_t offset) const {
    if (!has(offset, 4)) return 0;
    return static_cast<uint32_t>(data_[offset]) << 24 | static_cast<uint32_t>(data_[offset + 1]) << 16 |
           static_cast<uint32_t>(data_[offset + 2]) << 8 | data_[offset + 3];
  }
  uint64_t le64(uint64_t offset) const {
    return has(offset, 8) ? static_cast<uint64_t>(Little(offset + 4, 4)) << 32 | Little(offset, 4) : 0;
  }

  // The bytes at offset are exactly these.
  bool matches(uint64_t offset, const void* bytes, std::size_t count) const {
    return has(offset, count) && std::memcmp(data_ + offset, bytes, count) == 0;
  }
  // A text without its terminator.
  template <std::size_t N>
  bool matches(uint64_t offset, const char (&text)[N]) const {
    return matches(offset, text, N - 1);
  }

 private:
  uint32_t Little(uint64_t offset, int width) const {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | data_[offset + static_cast<uint64_t>(i)];
    return value;
  }

  const uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};
