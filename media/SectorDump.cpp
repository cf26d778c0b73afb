#include "SectorDump.h"

namespace {

const char kHexDigits[] = "0123456789ABCDEF";
const char kOffsetDigits[] = "0123456789abcdef";

// Positions of the row's parts.
constexpr std::size_t kHexStart = 5;
constexpr std::size_t kTextStart = 42;
constexpr std::size_t kSecondTextHalf = 51;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::size_t DumpRowCount(std::size_t size) { return (size + kDumpRowBytes - 1) / kDumpRowBytes; }

std::string DumpRow(const uint8_t* bytes, std::size_t size, std::size_t offset) {
  std::string row(kDumpRowLength, ' ');
  // Four digits, as the largest sector (65536 bytes) ends at ffff.
  for (int digit = 0; digit < 4; ++digit) row[3 - digit] = kOffsetDigits[(offset >> (4 * digit)) & 0xF];
  for (std::size_t i = 0; i < kDumpRowBytes; ++i) {
    if (bytes == nullptr || offset >= size || i >= size - offset) break;
    const uint8_t byte = bytes[offset + i];
    const std::size_t hex = kHexStart + i * 2 + i / 4;
    row[hex] = kHexDigits[byte >> 4];
    row[hex + 1] = kHexDigits[byte & 0xF];
    const std::size_t text = (i < 8 ? kTextStart : kSecondTextHalf) + i % 8;
    row[text] = (byte >= 0x20 && byte < 0x7F) ? static_cast<char>(byte) : '.';
  }
  return row;
}

std::string DumpText(const std::string& header, const uint8_t* bytes, std::size_t size) {
  std::string text = header;
  const std::size_t rows = bytes == nullptr ? 0 : DumpRowCount(size);
  text.reserve(header.size() + rows * (kDumpRowLength + 2));
  for (std::size_t row = 0; row < rows; ++row) {
    text += DumpRow(bytes, size, row * kDumpRowBytes);
    text += "\r\n";
  }
  return text;
}

uint64_t ReachableSectors(uint64_t sectorCount) {
  constexpr uint64_t kSectorNumbers = uint64_t{1} << 32;
  return sectorCount < kSectorNumbers ? sectorCount : kSectorNumbers;
}

SectorNumberCheck ParseSectorNumber(const std::string& text, uint64_t sectorCount, uint32_t& sector) {
  std::size_t first = 0, end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  if (first == end) return SectorNumberCheck::kNotANumber;
  const uint64_t limit = ReachableSectors(sectorCount);
  uint64_t value = 0;
  bool tooLarge = false;
  for (std::size_t i = first; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return SectorNumberCheck::kNotANumber;
    // Stops growing once past the limit, so that no digit count overflows.
    if (!tooLarge) value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    if (value >= limit) tooLarge = true;
  }
  if (tooLarge) return SectorNumberCheck::kTooLarge;
  sector = static_cast<uint32_t>(value);
  return SectorNumberCheck::kGood;
}
