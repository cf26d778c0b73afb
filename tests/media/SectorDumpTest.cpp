// The sector viewer's texts: the row layout, which bytes show as themselves,
// rows clamped to the bytes given, the clipboard text, and the typed sector
// number against the medium's extent.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "SectorDump.h"

namespace {

std::vector<uint8_t> Counting(std::size_t size) {
  std::vector<uint8_t> bytes(size);
  std::iota(bytes.begin(), bytes.end(), static_cast<uint8_t>(0));
  return bytes;
}

}  // namespace

TEST(SectorDumpRow, LaysOutOffsetHexGroupsAndCharacterHalves) {
  const std::string text = "ABCDEFGHIJKLMNOP";
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  EXPECT_EQ(DumpRow(bytes.data(), bytes.size(), 0),
            "0000 41424344 45464748 494A4B4C 4D4E4F50  ABCDEFGH IJKLMNOP");
  const std::vector<uint8_t> sector = Counting(512);
  const std::string last = DumpRow(sector.data(), sector.size(), 0x1F0);
  EXPECT_EQ(last.size(), kDumpRowLength);
  EXPECT_EQ(last.substr(0, 41), "01f0 F0F1F2F3 F4F5F6F7 F8F9FAFB FCFDFEFF ");
}

TEST(SectorDumpRow, ShowsOnlyPrintingBytesAsThemselves) {
  const std::vector<uint8_t> bytes = {0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF, 0x00, 0x41,
                                      0x0D, 0x0A, 0x09, 0x30, 0x7A, 0xA0, 0x21, 0x3F};
  const std::string row = DumpRow(bytes.data(), bytes.size(), 0);
  EXPECT_EQ(row.substr(42), ". ~....A ...0z.!?");
}

TEST(SectorDumpRow, LargestSectorEndsAtFourDigitOffset) {
  const std::vector<uint8_t> sector(65536, 0xAA);
  EXPECT_EQ(DumpRow(sector.data(), sector.size(), 0xFFF0).substr(0, 5), "fff0 ");
}

// A row is never read past the bytes given: what lies beyond shows blank.
TEST(SectorDumpRow, BytesPastTheEndAreBlankAndNeverRead) {
  const std::vector<uint8_t> bytes = Counting(20);
  const std::string partial = DumpRow(bytes.data(), bytes.size(), 16);
  EXPECT_EQ(partial, "0010 10111213" + std::string(29, ' ') + "...." + std::string(13, ' '));
  EXPECT_EQ(partial.size(), kDumpRowLength);
  EXPECT_EQ(DumpRow(bytes.data(), bytes.size(), 32), "0020" + std::string(kDumpRowLength - 4, ' '));
  EXPECT_EQ(DumpRow(nullptr, 512, 0), "0000" + std::string(kDumpRowLength - 4, ' '));
}

TEST(SectorDumpText, IsTheHeaderAndOneCrLfLinePerSixteenBytes) {
  const std::vector<uint8_t> sector = Counting(512);
  const std::string header = "9.12.2026 10:00  Vantrel 1.0\r\n";
  const std::string text = DumpText(header, sector.data(), sector.size());
  ASSERT_EQ(text.size(), header.size() + 32 * (kDumpRowLength + 2));
  EXPECT_EQ(text.compare(0, header.size(), header), 0);
  for (std::size_t row = 0; row < 32; ++row) {
    const std::size_t at = header.size() + row * (kDumpRowLength + 2);
    EXPECT_EQ(text.substr(at, kDumpRowLength), DumpRow(sector.data(), sector.size(), row * 16));
    EXPECT_EQ(text.substr(at + kDumpRowLength, 2), "\r\n");
  }
  EXPECT_EQ(DumpRowCount(2048), 128u);
  EXPECT_EQ(DumpRowCount(20), 2u);
  EXPECT_EQ(DumpRowCount(0), 0u);
  EXPECT_EQ(DumpText(header, nullptr, 512), header);
}

TEST(SectorNumber, AcceptsNumbersBelowTheCountOnly) {
  uint32_t sector = 7;
  EXPECT_EQ(ParseSectorNumber("0", 100, sector), SectorNumberCheck::kGood);
  EXPECT_EQ(sector, 0u);
  EXPECT_EQ(ParseSectorNumber(" 99 ", 100, sector), SectorNumberCheck::kGood);
  EXPECT_EQ(sector, 99u);
  sector = 7;
  EXPECT_EQ(ParseSectorNumber("100", 100, sector), SectorNumberCheck::kTooLarge);
  EXPECT_EQ(ParseSectorNumber("3000000000", 100, sector), SectorNumberCheck::kTooLarge);
  EXPECT_EQ(ParseSectorNumber("4294967295", 100, sector), SectorNumberCheck::kTooLarge);
  EXPECT_EQ(ParseSectorNumber("4294967296", 100, sector), SectorNumberCheck::kTooLarge);
  EXPECT_EQ(ParseSectorNumber(std::string(40, '9'), 100, sector), SectorNumberCheck::kTooLarge);
  EXPECT_EQ(ParseSectorNumber("0", 0, sector), SectorNumberCheck::kTooLarge);
  EXPECT_EQ(sector, 7u);
}

TEST(SectorNumber, RejectsWhatIsNotANumber) {
  uint32_t sector = 7;
  for (const char* text : {"", "  ", "abc", "12a", "-1", "+1", "1 2", "0x10"})
    EXPECT_EQ(ParseSectorNumber(text, 100, sector), SectorNumberCheck::kNotANumber) << text;
  EXPECT_EQ(sector, 7u);
}

// A medium of more sectors than a read can name is cut to the 32-bit numbers.
TEST(SectorNumber, LargeMediaStopAtTheLastThirtyTwoBitSector) {
  const uint64_t huge = uint64_t{1} << 40;
  EXPECT_EQ(ReachableSectors(huge), uint64_t{1} << 32);
  EXPECT_EQ(ReachableSectors(5), 5u);
  uint32_t sector = 0;
  EXPECT_EQ(ParseSectorNumber("4294967295", huge, sector), SectorNumberCheck::kGood);
  EXPECT_EQ(sector, 4294967295u);
  EXPECT_EQ(ParseSectorNumber("4294967296", huge, sector), SectorNumberCheck::kTooLarge);
}
