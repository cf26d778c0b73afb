#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "File.h"
#include "Identify.h"
#include "PlacedMedium.h"
#include "TypeDB.h"

namespace {

constexpr uint32_t kSector = PlacedMedium::kSector;

TypeOptions AllTypes() {
  TypeOptions options;
  options.wantJpeg = options.wantVideo = options.wantAvi = options.wantMp3 = true;
  options.wantTiff = options.wantOthers = true;
  return options;
}

struct Answer {
  bool found = false;
  std::string extension;
  bool picture = false;
  uint64_t length = 0;
};

Answer IdentifyAt(PlacedMedium& medium, uint32_t sector, const TypeOptions& options, TypeDB* dictionary = nullptr,
                  const File* openRecord = nullptr, uint32_t window = 12) {
  Answer answer;
  if (!medium.ReadWindow(sector, window)) return answer;
  Identifier identifier(*medium.media, dictionary);
  identifier.options = options;
  Identification result;
  answer.found = identifier.identify(sector, window, openRecord, result);
  answer.extension = result.extension;
  answer.picture = result.picture;
  answer.length = result.length;
  return answer;
}

// A sample laid at a sector boundary among random bytes, with more after it.
Answer IdentifySample(const std::string& name, const TypeOptions& options, TypeDB* dictionary = nullptr) {
  std::vector<uint8_t> file = SampleFile(name);
  if (file.empty()) return Answer();
  PlacedMedium medium(40);
  medium.Place(17, file);
  medium.Place(17 + static_cast<uint32_t>((file.size() + kSector - 1) / kSector), RandomBytes(64 * kSector, 9));
  EXPECT_TRUE(medium.Open());
  return IdentifyAt(medium, 17, options, dictionary);
}

struct Expected {
  const char* sample;
  const char* extension;
  bool picture;
  bool exactLength;  // the identification gives the file's length
};

// An MPEG audio frame header: MPEG-1 layer III, 128 kbit/s, 44.1 kHz.
const uint8_t kFrame128[] = {0xFF, 0xFB, 0x90, 0x00};
const uint32_t kFrame128Length = 417;  // 144 * 128000 / 44100
const uint8_t kFrame160[] = {0xFF, 0xFB, 0xA0, 0x00};

// MPEG audio from sector first to sector end: 417-byte frames, one of which
// begins at sector anchor.
std::vector<uint8_t> AudioFramesAround(uint32_t first, uint32_t end, uint32_t anchor, const uint8_t* header) {
  std::vector<uint8_t> data((end - first) * std::size_t(kSector), 0x55);
  std::size_t at = (anchor - first) * std::size_t(kSector) % kFrame128Length;
  for (; at + 4 <= data.size(); at += kFrame128Length) std::copy(header, header + 4, data.begin() + at);
  return data;
}

class ShippedDictionary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dictionary.Load("FileIdentify.dict")) << dictionary.ErrorText(); }
  TypeDB dictionary;
};

}  // namespace

TEST(BuiltInTypes, FilesMadeByRealToolsAreIdentified) {
  const Expected table[] = {
      {"photo.jpg", "jpg", true, true},         {"camera-exif-only.jpg", "jpg", true, true},
      {"photo.png", "png", true, true},        {"photo.gif", "gif", true, true},
      {"photo.tif", "tif", true, true},         {"photo-msb.tif", "tif", true, true},
      {"photo.bmp", "bmp", true, false},        {"clip.mpg", "mpg", false, false},
      {"clip-moov.mov", "mov", false, true},    {"clip-mdat.mov", "mov", false, true},
      {"clip-mp42.mp4", "mp4", false, true},    {"clip.asf", "asf", false, false},
      {"clip.mp4", "mp4", false, true},         {"clip-fragmented.mp4", "mp4", false, true},
      {"clip.mov", "mov", false, true},         {"clip-wide.mov", "mov", false, true},
      {"clip.3gp", "3gp", false, true},         {"sound.m4a", "m4a", false, true},
      {"clip.avi", "avi", false, true},        {"sound.mp3", "mp3", false, true},
      {"sound-untagged.mp3", "mp3", false, true}, {"sound.wav", "wav", false, true},
      {"stored.zip", "zip", false, true},       {"deflated.zip", "zip", false, true},
      {"zip64.zip", "zip", false, true},        {"commented.zip", "zip", false, true},
      {"streamed.zip", "zip", false, false},    {"word.doc", "doc", false, false},
      {"program.exe", "exe", false, false},     {"library.dll", "dll", false, false},
  };
  for (const Expected& expected : table) {
    Answer answer = IdentifySample(expected.sample, AllTypes());
    EXPECT_TRUE(answer.found) << expected.sample;
    EXPECT_EQ(answer.extension, expected.extension) << expected.sample;
    EXPECT_EQ(answer.picture, expected.picture) << expected.sample;
    if (expected.exactLength)
      EXPECT_EQ(answer.length, SampleFile(expected.sample).size()) << expected.sample;
    else
      EXPECT_EQ(answer.length, 0u) << expected.sample;
  }
}

TEST(BuiltInTypes, TypeOptionsChooseWhatIsLookedFor) {
  TypeOptions none;
  // JFIF and ID3 are looked for whatever the options say.
  EXPECT_EQ(IdentifySample("photo.jpg", none).extension, "jpg");
  EXPECT_EQ(IdentifySample("sound.mp3", none).extension, "mp3");
  EXPECT_FALSE(IdentifySample("camera-exif-only.jpg", none).found);
  EXPECT_FALSE(IdentifySample("sound-untagged.mp3", none).found);
  EXPECT_FALSE(IdentifySample("clip.avi", none).found);
  EXPECT_FALSE(IdentifySample("photo.png", none).found);  // only with all other types

  TypeOptions allButTiff = AllTypes();
  allButTiff.wantTiff = false;
  EXPECT_FALSE(IdentifySample("photo.tif", allButTiff).found);
  EXPECT_TRUE(IdentifySample("photo.png", allButTiff).found);
}

TEST(BuiltInTypes, FailedJpegWalkLeavesTheOtherRowsLookingAtThisSector) {
  // JFIF at 6, but the first marker after the header is not where the header
  // says; the walk reads the next sector, which begins like a GIF.
  std::vector<uint8_t> sector(kSector, 0x20);
  const uint8_t head[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x02, 0x10, 'J', 'F', 'I', 'F', 0};
  std::copy(head, head + sizeof head, sector.begin());
  std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
  gif.resize(kSector, 0);
  PlacedMedium medium(30);
  medium.Place(4, sector);
  medium.Place(5, gif);
  ASSERT_TRUE(medium.Open());
  EXPECT_FALSE(IdentifyAt(medium, 4, AllTypes()).found);
  EXPECT_EQ(IdentifyAt(medium, 5, AllTypes()).extension, "gif");
}

TEST(BuiltInTypes, CompoundDocumentWithoutKnownStreamIsNotIdentified) {
  EXPECT_FALSE(IdentifySample("unknown.ole", AllTypes()).found);
}

TEST(BuiltInTypes, ZipWithDataDescriptorsHasNoLength) {
  Answer answer = IdentifySample("streamed.zip", AllTypes());
  EXPECT_EQ(answer.extension, "zip");
  EXPECT_EQ(answer.length, 0u);
}

TEST(BuiltInTypes, AnMp3ContinuingAcrossASectorIsNotANewFile) {
  // Frames of 417 bytes, one of which begins exactly at sector 13, while the
  // record of the MP3 they belong to has reached sector 12.
  PlacedMedium medium(40);
  medium.Place(8, AudioFramesAround(8, 26, 13, kFrame128));
  ASSERT_TRUE(medium.Open());
  File open(File::GeneratedName("Rec", 1, "mp3"));
  open.addRun(8, 5);
  EXPECT_FALSE(IdentifyAt(medium, 13, AllTypes(), nullptr, &open).found);
  // Without the open record, with one of another type, or one that ends
  // elsewhere, the same sector starts a file.
  EXPECT_TRUE(IdentifyAt(medium, 13, AllTypes()).found);
  File video(File::GeneratedName("Rec", 1, "avi"));
  video.addRun(8, 5);
  EXPECT_TRUE(IdentifyAt(medium, 13, AllTypes(), nullptr, &video).found);
  File shorter(File::GeneratedName("Rec", 1, "mp3"));
  shorter.addRun(8, 4);
  EXPECT_TRUE(IdentifyAt(medium, 13, AllTypes(), nullptr, &shorter).found);
}

TEST(BuiltInTypes, AnMp3OfAnotherBitrateAfterAnOpenOneStartsAFile) {
  PlacedMedium medium(40);
  medium.Place(8, AudioFramesAround(8, 26, 13, kFrame128));
  // The frame before the boundary says 160 kbit/s.
  std::vector<uint8_t> other(kFrame160, kFrame160 + 4);
  std::copy(other.begin(), other.end(), medium.image.begin() + 13 * kSector - kFrame128Length);
  ASSERT_TRUE(medium.Open());
  File open(File::GeneratedName("Rec", 1, "mp3"));
  open.addRun(8, 5);
  EXPECT_TRUE(IdentifyAt(medium, 13, AllTypes(), nullptr, &open).found);
}

TEST(BuiltInTypes, OffsetsFromTheDataStayInsideTheWindow) {
  // An MZ header whose PE offset points past the window, at its last bytes,
  // and at a negative offset.
  for (uint32_t pe : {0x7FFFFFFFu, 12u * kSector - 2, 0xFFFFFFF0u, 8u * kSector}) {
    std::vector<uint8_t> header(kSector, 0);
    header[0] = 'M';
    header[1] = 'Z';
    for (int i = 0; i < 4; ++i) header[60 + i] = static_cast<uint8_t>(pe >> (8 * i));
    PlacedMedium medium(30);
    medium.Place(0, header);
    if (pe == 12u * kSector - 2) medium.Place(11, std::vector<uint8_t>(kSector, 'P'));
    ASSERT_TRUE(medium.Open());
    EXPECT_FALSE(IdentifyAt(medium, 0, AllTypes()).found) << pe;
  }
  // An MP4 box length beyond the window; an ID3 tag larger than 8 sectors.
  std::vector<uint8_t> mp4 = {0x00, 0x00, 0x0F, 0xFF, 'f', 't', 'y', 'p', 'm', 'p', '4', '2'};
  std::vector<uint8_t> id3 = {'I', 'D', '3', 4, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F};
  for (const auto& start : {mp4, id3}) {
    PlacedMedium medium(30);
    medium.Place(0, start);
    ASSERT_TRUE(medium.Open());
    EXPECT_FALSE(IdentifyAt(medium, 0, AllTypes(), nullptr, nullptr, 1).found);
  }
}

// The sample laid among random bytes at a sector boundary, as IdentifySample does.
Answer IdentifyBytes(const std::vector<uint8_t>& file, const TypeOptions& options) {
  PlacedMedium medium(40);
  medium.Place(17, file);
  EXPECT_TRUE(medium.Open());
  return IdentifyAt(medium, 17, options);
}

TEST(BuiltInTypes, IsoMediaIsNamedByItsMajorBrandWhenItsBoxesHoldAMovie) {
  const std::vector<uint8_t> mp4 = SampleFile("clip.mp4");  // ftyp, free, mdat, moov
  ASSERT_GT(mp4.size(), 36u);
  const char* const brands[][2] = {{"crx ", "cr3"}, {"qt  ", "mov"}, {"3gp5", "3gp"}, {"M4A ", "m4a"}, {"avc1", "mp4"}};
  for (const auto& brand : brands) {
    std::vector<uint8_t> file = mp4;
    std::copy(brand[0], brand[0] + 4, file.begin() + 8);
    Answer answer = IdentifyBytes(file, AllTypes());
    EXPECT_EQ(answer.extension, brand[1]);
    EXPECT_EQ(answer.length, file.size()) << brand[0];
  }
  // Data "to the end of the file": only a fast-start MP4 is still found, without a length.
  std::vector<uint8_t> open = mp4;
  std::fill(open.begin() + 36, open.begin() + 40, 0);
  EXPECT_FALSE(IdentifyBytes(open, AllTypes()).found);
  std::vector<uint8_t> fast = SampleFile("clip-mp42.mp4");  // ftyp, moov, free, mdat
  ASSERT_GT(fast.size(), 1000u);
  std::fill(fast.end() - 3748, fast.end() - 3744, 0);
  Answer answer = IdentifyBytes(fast, AllTypes());
  EXPECT_EQ(answer.extension, "mp4");
  EXPECT_EQ(answer.length, 0u);

  // A free atom begins much other data: only a whole movie counts.
  const std::vector<uint8_t> noType(mp4.begin() + 28, mp4.end());
  EXPECT_EQ(IdentifyBytes(noType, AllTypes()).length, noType.size());
  EXPECT_FALSE(IdentifyBytes(std::vector<uint8_t>(noType.begin(), noType.begin() + 8 + 3748), AllTypes()).found);
}

TEST(BuiltInTypes, TestsNeverLookBeyondTheWindowRead) {
  // An MPEG stream needs its second start code at byte 2048: with a window
  // of one sector (a small cluster), the bytes there are not the file's.
  std::vector<uint8_t> file = SampleFile("clip.mpg");
  ASSERT_FALSE(file.empty());
  PlacedMedium medium(30);
  medium.Place(2, file);
  ASSERT_TRUE(medium.Open());
  EXPECT_TRUE(IdentifyAt(medium, 2, AllTypes(), nullptr, nullptr, 5).found);
  EXPECT_FALSE(IdentifyAt(medium, 2, AllTypes(), nullptr, nullptr, 1).found);
}

TEST(BuiltInTypes, HostileZipLengthsEndTheWalk) {
  std::vector<uint8_t> zip = SampleFile("stored.zip");
  ASSERT_GT(zip.size(), 30u);
  // A local header whose compressed size runs past the medium, and one whose
  // ZIP64 size wraps the walk around.
  std::vector<uint8_t> beyond = zip;
  beyond[18] = beyond[19] = beyond[20] = 0xFF;
  beyond[21] = 0x7E;
  std::vector<uint8_t> wrapping = SampleFile("zip64.zip");
  ASSERT_GT(wrapping.size(), 30u + 9 + 20);
  std::size_t extra = 30 + wrapping[26];
  for (int i = 0; i < 8; ++i) wrapping[extra + 12 + i] = 0xFF;
  // An end record whose comment would run past the end of the medium.
  std::vector<uint8_t> comment = zip;
  comment[comment.size() - 2] = comment[comment.size() - 1] = 0xFF;
  for (const auto& archive : {beyond, wrapping, comment}) {
    PlacedMedium medium(60);
    medium.Place(3, archive);
    ASSERT_TRUE(medium.Open());
    Answer answer = IdentifyAt(medium, 3, AllTypes());
    EXPECT_EQ(answer.extension, "zip");
    EXPECT_EQ(answer.length, 0u);
  }
}

TEST_F(ShippedDictionary, DictionaryAloneDecides) {
  // With a dictionary the type options have no effect.
  TypeOptions none;
  Answer photo = IdentifySample("camera-exif-only.jpg", none, &dictionary);
  EXPECT_EQ(photo.extension, "jpg");
  EXPECT_TRUE(photo.picture);
  EXPECT_EQ(photo.length, SampleFile("camera-exif-only.jpg").size());
  EXPECT_EQ(IdentifySample("photo.png", none, &dictionary).extension, "png");
  EXPECT_EQ(IdentifySample("photo.bmp", none, &dictionary).length, SampleFile("photo.bmp").size());
  EXPECT_FALSE(IdentifySample("sound.wav", none, &dictionary).picture);
}

TEST_F(ShippedDictionary, ZipBasedFilesGetTheirLength) {
  for (const char* name : {"stored.zip", "deflated.zip", "zip64.zip", "commented.zip"}) {
    Answer answer = IdentifySample(name, TypeOptions(), &dictionary);
    EXPECT_TRUE(answer.found) << name;
    EXPECT_EQ(answer.length, SampleFile(name).size()) << name;
  }
}

TEST_F(ShippedDictionary, RiffPngAndGifFilesGetTheirLength) {
  for (const char* name : {"photo.png", "photo-large.png", "photo.gif", "photo-large.gif", "sound.wav",
                           "sound-odd.wav", "clip.avi", "clip-mjpeg.avi"}) {
    SCOPED_TRACE(name);
    Answer answer = IdentifySample(name, TypeOptions(), &dictionary);
    EXPECT_TRUE(answer.found);
    EXPECT_EQ(answer.length, SampleFile(name).size());
  }
}

TEST_F(ShippedDictionary, TiffAndRawFilesAreNamedAndGetTheirLength) {
  const char* const table[][2] = {{"tiff-tiles.tif", "tif"}, {"photo-msb.tif", "tif"}, {"camera.dng", "dng"},
                                  {"camera.cr2", "cr2"},     {"camera.nef", "nef"}};
  for (const auto& row : table) {
    SCOPED_TRACE(row[0]);
    Answer answer = IdentifySample(row[0], TypeOptions(), &dictionary);
    EXPECT_EQ(answer.extension, row[1]);
    EXPECT_TRUE(answer.picture);
    EXPECT_EQ(answer.length, SampleFile(row[0]).size());
  }
}

TEST_F(ShippedDictionary, IsoMediaFilesGetTheirLength) {
  const char* const samples[][2] = {{"clip.mp4", "mp4"},      {"clip-mp42.mp4", "mp4"}, {"clip-fragmented.mp4", "mp4"},
                                    {"clip.mov", "mov"},      {"clip-moov.mov", "mov"}, {"clip-mdat.mov", "mov"},
                                    {"clip-wide.mov", "mov"}, {"clip.3gp", "3gp"},      {"sound.m4a", "m4a"}};
  for (const auto& sample : samples) {
    SCOPED_TRACE(sample[0]);
    Answer answer = IdentifySample(sample[0], TypeOptions(), &dictionary);
    EXPECT_EQ(answer.extension, sample[1]);
    EXPECT_EQ(answer.length, SampleFile(sample[0]).size());
  }
}

TEST_F(ShippedDictionary, TextAndOpenRecords) {
  std::vector<uint8_t> text(2 * kSector, 'a');
  std::vector<uint8_t> csv;
  for (int i = 0; i < 60; ++i) {
    std::string row = "\"date\",\"place\",\"photo\"\r\n";
    csv.insert(csv.end(), row.begin(), row.end());
  }
  PlacedMedium medium(30);
  medium.Place(2, text);
  medium.Place(6, csv);
  ASSERT_TRUE(medium.Open());
  File open(File::GeneratedName("Rec", 3, "jpg"));
  open.addRun(0, 1);
  EXPECT_EQ(IdentifyAt(medium, 2, TypeOptions(), &dictionary).extension, "txt");
  EXPECT_FALSE(IdentifyAt(medium, 2, TypeOptions(), &dictionary, &open).found);  // text never interrupts

  Answer table = IdentifyAt(medium, 6, TypeOptions(), &dictionary);
  ASSERT_EQ(table.extension, "csv");
  File sheet(File::GeneratedName("Rec", 4, "csv"));
  sheet.addRun(5, 1);
  EXPECT_FALSE(IdentifyAt(medium, 6, TypeOptions(), &dictionary, &sheet).found);  // the open csv goes on
  EXPECT_TRUE(IdentifyAt(medium, 6, TypeOptions(), &dictionary, &open).found);
}

TEST_F(ShippedDictionary, BitmapSizeBeyondTheMediumIsNoLength) {
  std::vector<uint8_t> bitmap = SampleFile("photo.bmp");
  ASSERT_GT(bitmap.size(), 6u);
  bitmap[2] = 0;  // 5 MB, on a medium of 15 KB
  bitmap[3] = 0;
  bitmap[4] = 0x50;
  bitmap[5] = 0;
  PlacedMedium medium(30);
  medium.Place(1, bitmap);
  ASSERT_TRUE(medium.Open());
  Answer answer = IdentifyAt(medium, 1, TypeOptions(), &dictionary);
  EXPECT_EQ(answer.extension, "bmp");
  EXPECT_EQ(answer.length, 0u);
}

TEST(PictureSniff, ByExtensionOrByTheFirstSector) {
  PlacedMedium medium(10);
  std::vector<uint8_t> motorola = {'M', 'M', 0x00, 0x2A};
  medium.Place(3, motorola);
  medium.Place(4, {'B', 'M'});
  ASSERT_TRUE(medium.Open());

  File byName("HOLIDAY JPG");
  EXPECT_TRUE(byName.sniffPicture(*medium.media));
  EXPECT_TRUE(byName.isPicture);
  File folder("DCIM       ");
  folder.isDirectory = true;
  EXPECT_FALSE(folder.sniffPicture(*medium.media));

  File tiff("IMG_0001CR2");
  tiff.addRun(3, 1);
  EXPECT_TRUE(tiff.sniffPicture(*medium.media));
  File bitmap("SCAN    DAT");
  bitmap.addRun(4, 1);
  EXPECT_TRUE(bitmap.sniffPicture(*medium.media));
  File text("NOTES   TXT");
  text.addRun(5, 1);
  EXPECT_FALSE(text.sniffPicture(*medium.media));
  EXPECT_FALSE(text.isPicture);
  File unreadable("LOST    DAT");
  unreadable.addRun(500, 1);
  EXPECT_FALSE(unreadable.sniffPicture(*medium.media));
}
