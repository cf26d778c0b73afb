#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ContentChecks.h"
#include "TestDictionaries.h"

namespace {

bool Csv(const std::string& text) {
  std::vector<uint8_t> exact(text.begin(), text.end());
  return LooksLikeCsv(exact.data(), static_cast<int32_t>(exact.size()));
}

bool Mp3(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> exact(data);
  return LooksLikeMp3(exact.data(), static_cast<int32_t>(exact.size()));
}

// count frames of the given length whose headers are header (big-endian).
std::vector<uint8_t> Frames(uint32_t header, std::size_t frameLength, int count) {
  std::vector<uint8_t> data;
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> frame(frameLength, 0x55);
    for (int b = 0; b < 4; ++b) frame[b] = static_cast<uint8_t>(header >> (24 - 8 * b));
    data.insert(data.end(), frame.begin(), frame.end());
  }
  return data;
}

std::vector<uint8_t> Id3Tag(uint32_t size, std::size_t bytes) {
  std::vector<uint8_t> tag = {'I', 'D', '3', 4, 0, 0,
                              static_cast<uint8_t>(size >> 21 & 0x7F), static_cast<uint8_t>(size >> 14 & 0x7F),
                              static_cast<uint8_t>(size >> 7 & 0x7F), static_cast<uint8_t>(size & 0x7F)};
  tag.resize(bytes, 0);
  return tag;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

constexpr uint32_t kMpeg1Layer3At128k = 0xFFFB9000;  // 44100 Hz: 417 bytes
constexpr uint32_t kFreeFormat = 0xFFFB0000;

}  // namespace

TEST(CsvCheck, NeedsCommasAndQuotesInProportion) {
  EXPECT_TRUE(Csv("a,b"));
  EXPECT_FALSE(Csv("a b"));
  EXPECT_FALSE(Csv(""));
  // 100 bytes: at least 5 commas and 2 quotes.
  const std::string filler(87, 'x');
  ASSERT_EQ(("\"a\",b,c,d,e,f" + filler).size(), 100u);
  EXPECT_TRUE(Csv("\"a\",b,c,d,e,f" + filler));
  EXPECT_FALSE(Csv("\"a\",b,c,d,exf" + filler));  // 4 commas
  EXPECT_FALSE(Csv("\"ax,b,c,d,e,f" + filler));   // 1 quote
}

TEST(CsvCheck, ControlCharactersOtherThanCrLfFail) {
  EXPECT_TRUE(Csv("\"a\",\"b\"\r\n\"c\",\"d\"\r\n"));
  EXPECT_FALSE(Csv("\"a\",\"b\"\t\"c\""));
  EXPECT_FALSE(Csv(std::string("\"a\",\"b\"\0", 8)));
  EXPECT_TRUE(Csv("\"caf\xE9\",\"\xFF\""));
}

// Two sectors hold three 417-byte headers but not three whole frames.
TEST(Mp3Check, ThreeHeadersInARowPassOrTwoWhenTheThirdLiesPastTheData) {
  EXPECT_TRUE(Mp3(Frames(kMpeg1Layer3At128k, 417, 3)));
  std::vector<uint8_t> twoSectors = Frames(kMpeg1Layer3At128k, 417, 3);
  twoSectors.resize(1024);
  EXPECT_TRUE(Mp3(twoSectors));
  EXPECT_TRUE(Mp3(Frames(kMpeg1Layer3At128k, 417, 2)));
  EXPECT_FALSE(Mp3(Joined(Frames(kMpeg1Layer3At128k, 417, 2), {0x55, 0x55, 0x55, 0x55})));
  EXPECT_FALSE(Mp3(Frames(kMpeg1Layer3At128k, 417, 1)));
  // 256 kbit/s, 835 bytes: two headers in two sectors.
  std::vector<uint8_t> long_ = Frames(0xFFFBD000, 835, 2);
  long_.resize(1024);
  EXPECT_TRUE(Mp3(long_));
  // The frames of one stream keep version, layer and sample rate.
  EXPECT_FALSE(Mp3(Joined(Frames(kMpeg1Layer3At128k, 417, 2), Frames(0xFFFB9400, 384, 1))));  // 48000 Hz
  EXPECT_FALSE(Mp3(Joined(Frames(kMpeg1Layer3At128k, 417, 2), Frames(0xFFFD9000, 417, 1))));  // layer II
  EXPECT_TRUE(Mp3(Joined(Frames(kMpeg1Layer3At128k, 417, 2), Frames(0xFFFBA000, 522, 1))));   // 160 kbit/s
}

TEST(Mp3Check, PaddingAddsOneByte) {
  EXPECT_TRUE(Mp3(Frames(kMpeg1Layer3At128k | 0x200, 418, 3)));
  EXPECT_FALSE(Mp3(Frames(kMpeg1Layer3At128k | 0x200, 417, 3)));
  // Layer I too: 48 * 32000 / 32000 = 48, plus 1 (not 4).
  EXPECT_TRUE(Mp3(Frames(0xFFFF1A00, 49, 3)));
}

// Each frame must end where the next header is: the length is exact.
TEST(Mp3Check, FrameLengthFactors) {
  struct Case {
    uint32_t header;
    std::size_t length;
  };
  const Case cases[] = {
      {0xFFFD1400, 96},   // MPEG-1 Layer II, 32 kbit/s, 48000 Hz: 144
      {0xFFF78400, 128},  // MPEG-2 Layer I, 128 kbit/s, 24000 Hz: 24
      {0xFFF58000, 208},  // MPEG-2 Layer II, 64 kbit/s, 22050 Hz: 72, not 144
      {0xFFE31800, 72},   // MPEG-2.5 Layer III, 8 kbit/s, 8000 Hz: 72
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    EXPECT_TRUE(Mp3(Frames(c.header, c.length, 3)));
    EXPECT_FALSE(Mp3(Frames(c.header, c.length - 1, 3)));
  }
}

TEST(Mp3Check, InvalidHeaderFieldsFail) {
  const uint32_t invalid[] = {
      0xFFF99000,  // layer 0
      0xFFEB9000,  // version 1
      0xFFFB9C00,  // sample-rate index 3
      0xFFFBF000,  // bitrate index 15
      0xFFDB9000,  // only ten sync bits
  };
  for (uint32_t header : invalid) {
    SCOPED_TRACE(header);
    EXPECT_FALSE(Mp3(Frames(header, 417, 3)));
  }
}

TEST(Mp3Check, Id3Tag) {
  std::vector<uint8_t> frames = Frames(kMpeg1Layer3At128k, 417, 3);
  EXPECT_TRUE(Mp3(Joined(Id3Tag(100, 110), frames)));  // ten header bytes plus 100
  EXPECT_FALSE(Mp3(Joined(Id3Tag(99, 110), frames)));
  // After a tag one header is enough: 320 kbit/s frames are 1044 bytes.
  EXPECT_TRUE(Mp3(Joined(Id3Tag(100, 110), Frames(0xFFFBE000, 1044, 1))));
  EXPECT_FALSE(Mp3(Joined(Id3Tag(100, 110), {0x55, 0x55, 0x55, 0x55})));
  // A tag as large as the data passes whatever follows; the size bytes count whole.
  EXPECT_TRUE(Mp3(Id3Tag(1014, 1024)));
  EXPECT_FALSE(Mp3(Id3Tag(1013, 1024)));
  std::vector<uint8_t> wholeBytes = Id3Tag(0, 1024);
  wholeBytes[9] = 0xFF;  // 255 + 10 bytes, not 127 + 10
  wholeBytes.resize(265);
  EXPECT_TRUE(Mp3(wholeBytes));
  EXPECT_TRUE(Mp3({'I', 'D', '3', 4, 0}));  // shorter than any tag
}

TEST(Mp3Check, FreeFormatPassesOnlyAfterATag) {
  std::vector<uint8_t> frame = Frames(kFreeFormat, 16, 1);
  EXPECT_FALSE(Mp3(frame));
  EXPECT_TRUE(Mp3(Joined(Id3Tag(6, 16), frame)));
  EXPECT_FALSE(Mp3(Joined(Frames(kMpeg1Layer3At128k, 417, 1), frame)));
}

// Through the dictionary: the checks decide ".mp3" matches.
TEST(Mp3Check, DecidesMp3Signatures) {
  TypeDB dictionary;
  ASSERT_TRUE(LoadDictionaryText(dictionary, "0 \"ID3\" .mp3\n0 0xFFE0&0xFFE0 .mp3\n0 \"ID3\" .MP3 not checked\n"));
  std::vector<uint8_t> twoFrames = Frames(kMpeg1Layer3At128k, 417, 2);
  twoFrames.resize(1024, 0x55);
  EXPECT_FALSE(Identify(dictionary, twoFrames));
  EXPECT_TRUE(Identify(dictionary, Frames(0xFFFB5000, 208, 4)));  // 64 kbit/s: four frames in 832 bytes
  EXPECT_STREQ(dictionary.MatchExtension(), ".mp3");
  EXPECT_TRUE(Identify(dictionary, Id3Tag(5000, 1024)));
  EXPECT_STREQ(dictionary.MatchExtension(), ".mp3");
  EXPECT_TRUE(Identify(dictionary, Joined(Id3Tag(100, 110), std::vector<uint8_t>(914, 0x55))));
  EXPECT_STREQ(dictionary.MatchExtension(), ".MP3");
}
