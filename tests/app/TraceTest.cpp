#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Context.h"
#include "TestFiles.h"
#include "Trace.h"

namespace {

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    TheContext().AppName = "Vantrel";
    RemoveFile(TraceFilePath());
    RemoveFile(PreviousTraceFilePath());
  }
  static std::string Trace() { return ReadWholeFile(TraceFilePath()); }
};

std::string FullRow(const char* offset, const std::string& hex, const std::string& chars) {
  return std::string(offset) + " " + hex + " |" + chars + "|\r\n";
}

}  // namespace

TEST_F(TraceTest, FirstLineCreatesFolderAndFile) {
  TraceMessage("Opening device %s", "\\\\.\\E:");
  TraceMessage("sectors=%d", 62720);
  EXPECT_EQ(Trace(), "Opening device \\\\.\\E:\r\nsectors=62720\r\n");
}

TEST_F(TraceTest, RotationKeepsExactlyOnePreviousTrace) {
  TraceMessage(nullptr);  // no trace yet: nothing to move, nothing fails
  EXPECT_FALSE(FileExists(TraceFilePath()));
  EXPECT_FALSE(FileExists(PreviousTraceFilePath()));

  TraceMessage("first run");
  TraceMessage(nullptr);
  EXPECT_EQ(ReadWholeFile(PreviousTraceFilePath()), "first run\r\n");
  EXPECT_FALSE(FileExists(TraceFilePath()));

  TraceMessage("second run");
  TraceMessage(nullptr);
  TraceMessage("third run");
  EXPECT_EQ(ReadWholeFile(PreviousTraceFilePath()), "second run\r\n");
  EXPECT_EQ(Trace(), "third run\r\n");
}

TEST_F(TraceTest, PreviousTraceNameReplacesTheExtension) {
  std::string current = TraceFilePath();
  std::string previous = PreviousTraceFilePath();
  EXPECT_EQ(current.substr(current.size() - 17), "Vantrel Trace.txt");
  EXPECT_EQ(previous, current.substr(0, current.size() - 4) + "2.txt");
}

TEST_F(TraceTest, LongLineIsCutNeverOverrun) {
  TraceMessage("%s%s", std::string(1000, 'a'), std::string(1000, 'b'));
  EXPECT_EQ(Trace(), std::string(1000, 'a') + std::string(23, 'b') + "\r\n");
}

TEST_F(TraceTest, ZeroSectorDumpsOneRowAndOneOmissionLine) {
  std::vector<uint8_t> sector(512, 0);
  std::string hex;
  for (int i = 0; i < 16; ++i) hex += "00 ";
  std::string expected = FullRow("0000", hex, std::string(16, '.')) +
                         "---------- Omitted lines same as above ----------\r\n";
  TraceHexDump(sector.data(), 512);
  EXPECT_EQ(Trace(), expected);
}

TEST_F(TraceTest, ShortLastRowClosesAfterItsLastCharacter) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 20; ++i) bytes.push_back(static_cast<uint8_t>('A' + i));
  std::string first = FullRow("0000", "41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 ", "ABCDEFGHIJKLMNOP");
  std::string second = "0010 51 52 53 54 " + std::string(37, ' ') + "|QRST|\r\n";
  ASSERT_EQ(first.size(), 74u);
  ASSERT_EQ(second.size(), 62u);
  TraceHexDump(bytes.data(), 20);
  EXPECT_EQ(Trace(), first + second);
}

TEST_F(TraceTest, CharacterColumnShowsPrintableBytesOnly) {
  const uint8_t bytes[] = {0x1F, 0x20, 0x7F, 0x80, 0xFF, 'z'};
  EXPECT_EQ(HexDumpText(bytes, 6), "0000 1f 20 7f 80 ff 7a " + std::string(31, ' ') + "|. \x7f..z|\r\n");
}

TEST_F(TraceTest, DumpStopsAt8192Bytes) {
  std::vector<uint8_t> bytes(9000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
  TraceHexDump(bytes.data(), static_cast<int32_t>(bytes.size()));
  std::string trace = Trace();
  EXPECT_EQ(trace.size(), 512u * 74u);
  EXPECT_EQ(trace.substr(trace.size() - 74, 5), "1FF0 ");
}

TEST_F(TraceTest, EqualRowsAfterADifferentOneAreOmittedAgain) {
  std::vector<uint8_t> bytes(80, 0);
  bytes[32] = 1;  // rows: zero, zero, one, zero, zero
  std::string text = HexDumpText(bytes.data(), 80);
  const std::string omitted = "---------- Omitted lines same as above ----------\r\n";
  std::size_t first = text.find(omitted);
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(text.find(omitted, first + 1), std::string::npos);
  EXPECT_NE(text.find("0020 01 "), std::string::npos);
  EXPECT_NE(text.find("0030 00 "), std::string::npos);
  EXPECT_EQ(text.find("0010 "), std::string::npos);
  EXPECT_EQ(text.find("0040 "), std::string::npos);
}

TEST_F(TraceTest, NothingIsDumpedForAnEmptyOrNegativeLength) {
  const uint8_t byte = 1;
  EXPECT_EQ(HexDumpText(&byte, 0), "");
  EXPECT_EQ(HexDumpText(&byte, -5), "");
  EXPECT_EQ(HexDumpText(nullptr, 16), "");
}
