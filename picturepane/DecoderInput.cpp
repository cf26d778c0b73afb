#include "DecoderInput.h"

bool IsJpeg(const SectorWindow& data) { return data.u8(0) == 0xFF && data.u8(1) == 0xD8 && data.u8(2) == 0xFF; }

std::vector<uint8_t> DecoderInput(const SectorWindow& data) {
  std::vector<uint8_t> bytes(data.data(), data.data() + data.size());
  const std::size_t size = data.size();
  const bool ended = size >= 2 && data.u8(size - 2) == 0xFF && data.u8(size - 1) == 0xD9;
  if (IsJpeg(data) && !ended) {
    bytes.push_back(0xFF);
    bytes.push_back(0xD9);
  }
  return bytes;
}
