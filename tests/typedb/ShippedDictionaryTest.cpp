// The shipped FileIdentify.dict, as the program finds it beside itself (the
// suite runs in the build's bin folder), on headers written here and on files
// that real tools made (scripts/make-samples.sh, in ../samples).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestDictionaries.h"
#include "TestFiles.h"
#include "TypeDB.h"

using namespace std::string_literals;

namespace {

constexpr std::size_t kWindowBytes = 1024;  // two sectors, as the scan asks

struct Expected {
  std::string ext;
  bool picture;
};

class ShippedDictionary : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dictionary_ = new TypeDB;
    loaded_ = dictionary_->Load("FileIdentify.dict");
  }
  static void TearDownTestSuite() {
    delete dictionary_;
    dictionary_ = nullptr;
  }
  void SetUp() override { ASSERT_TRUE(loaded_) << dictionary_->ErrorText(); }

  // The extension found for data, and its picture flag.
  static void ExpectType(const std::vector<uint8_t>& data, const Expected& expected) {
    bool found = Identify(*dictionary_, data);
    EXPECT_EQ(found, !expected.ext.empty());
    EXPECT_EQ(dictionary_->MatchExtension(), expected.ext);
    EXPECT_EQ(dictionary_->MatchIsPicture(), expected.picture);
  }

  static TypeDB* dictionary_;
  static bool loaded_;
};

TypeDB* ShippedDictionary::dictionary_ = nullptr;
bool ShippedDictionary::loaded_ = false;

using Parts = std::vector<std::pair<std::size_t, std::string>>;

// The sync byte 0x47 every packet, from first.
Parts TransportStream(std::size_t first, std::size_t packet) {
  Parts parts;
  for (std::size_t at = first; at < kWindowBytes; at += packet) parts.push_back({at, "\x47"});
  return parts;
}

Parts CompoundDocument(const std::string& firstDirectorySector, const std::string& streamName) {
  std::string utf16;
  for (char c : streamName) utf16 += std::string{c, '\0'};
  return {{0, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s}, {48, firstDirectorySector}, {512, "R\0o\0o\0t\0"s}, {640, utf16}};
}

Parts Program(const std::string& peOffset, const std::string& characteristics) {
  return {{0, "MZ"}, {60, peOffset}, {0x80, "PE\0\0\x64\x86"s}, {0x80 + 22, characteristics}};
}

}  // namespace

TEST_F(ShippedDictionary, HasAVersion) { EXPECT_FALSE(dictionary_->VersionText().empty()); }

TEST_F(ShippedDictionary, RecognisesEveryTypeByItsHeader) {
  struct Case {
    const char* name;
    Parts parts;
    Expected expected;
  };
  const std::string tiffLE = "II*\0\x08\0\0\0"s;
  const std::string tiffBE = "MM\0*\0\0\0\x08"s;
  const std::string compound = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"s;
  const std::string zip = "PK\x03\x04"s;
  const Case cases[] = {
      // Photos and camera RAW
      {"JPEG", {{0, "\xFF\xD8\xFF\xE1"s}}, {".jpg", true}},
      {"FF D8 without a marker", {{0, "\xFF\xD8\x00\x10"s}}, {"", false}},
      {"JFIF without FF D8", {{0, "\x01\x02"s}, {6, "JFIF"}}, {".jpg", true}},
      {"PNG", {{0, "\x89PNG\r\n\x1A\n"s}, {8, "\0\0\0\x0DIHDR"s}}, {".png", true}},
      {"PNG, any first byte", {{1, "PNG"}, {8, "\0\0\0\x0DIHDR"s}}, {".png", true}},
      {"GIF", {{0, "GIF89a"}}, {".gif", true}},
      {"BMP", {{0, "BM\x8A\x24\0\0\0\0\0\0\x8A\0\0\0\x7C\0\0\0\x40\0\0\0\x30\0\0\0\x01\0\x18\0"s}}, {".bmp", true}},
      {"BMP of 8 MB", {{0, "BM\0\0\x80\0\0\0\0\0"s}, {26, "\x01\0\x18\0"s}}, {"", false}},
      {"TIFF", {{0, tiffLE}}, {".tif", true}},
      {"TIFF big-endian", {{0, tiffBE}}, {".tif", true}},
      {"CR2", {{0, "II*\0\x10\0\0\0CR\x02\0"s}}, {".cr2", true}},
      {"CRW", {{0, "II\x1A\0\0\0HEAPCCDR"s}}, {".crw", true}},
      {"NEF", {{0, tiffBE}, {200, "NIKON CORPORATION"}}, {".nef", true}},
      {"NRW", {{0, tiffLE}, {180, "NIKON"}}, {".nrw", true}},
      {"ARW", {{0, tiffLE}, {300, "SONY"}}, {".arw", true}},
      {"SR2", {{0, tiffLE}, {300, "SONY"}, {320, "DSC-R1"}}, {".sr2", true}},
      {"ORF", {{0, "IIRO\x08\0"s}}, {".orf", true}},
      {"ORF (IIRS)", {{0, "IIRS\x08\0"s}}, {".orf", true}},
      {"ORF big-endian", {{0, "MMOR\0\0"s}}, {".orf", true}},
      {"RW2", {{0, "IIU\0\x18\0\0\0"s}}, {".rw2", true}},
      {"RAF", {{0, "FUJIFILMCCD-RAW 0201"}}, {".raf", true}},
      {"PEF", {{0, tiffLE}, {400, "PENTAX Corporation"}}, {".pef", true}},
      {"PEF big-endian", {{0, tiffBE}, {400, "PENTAX"}}, {".pef", true}},
      {"DNG", {{0, tiffLE}, {250, "\x12\xC6\x01\0\x04\0\0\0\x01\x04\0\0"s}, {400, "PENTAX"}}, {".dng", true}},
      {"DNG big-endian", {{0, tiffBE}, {250, "\xC6\x12\0\x01\0\0\0\x04"s}}, {".dng", true}},
      {"X3F", {{0, "FOVb"}}, {".x3f", true}},
      {"MRW", {{0, "\0MRM"s}}, {".mrw", true}},
      {"CR3", {{4, "ftypcrx "}}, {".cr3", true}},
      {"HEIC", {{4, "ftypheic"}}, {".heic", true}},
      // Video
      {"MOV", {{4, "ftypqt  "}}, {".mov", false}},
      {"MOV wide", {{0, "\0\0\0\x08wide"s}}, {".mov", false}},
      {"MOV moov", {{4, "moov"}}, {".mov", false}},
      {"MOV mdat", {{4, "mdat"}}, {".mov", false}},
      {"MP4", {{0, "\0\0\0\x18"s}, {4, "ftypmp42"}}, {".mp4", false}},
      {"MP4 isom", {{4, "ftypisom"}}, {".mp4", false}},
      {"M4V", {{4, "ftypM4V "}}, {".m4v", false}},
      {"3GP", {{4, "ftyp3gp4"}}, {".3gp", false}},
      {"AVI", {{0, "RIFF"}, {8, "AVI LIST"}}, {".avi", false}},
      {"MPEG program stream", {{0, "\0\0\x01\xBA"s}}, {".mpg", false}},
      {"MPEG video", {{0, "\0\0\x01\xB3"s}}, {".mpg", false}},
      {"MPEG video PES", {{0, "\0\0\x01\xE0"s}}, {".mpg", false}},
      {"transport stream", TransportStream(0, 188), {".ts", false}},
      {"AVCHD", TransportStream(4, 192), {".mts", false}},
      {"ASF", {{0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\0\xAA\0\x62\xCE\x6C"s}}, {".asf", false}},
      {"MKV", {{0, "\x1A\x45\xDF\xA3"s}, {24, "matroska"}}, {".mkv", false}},
      {"WebM", {{0, "\x1A\x45\xDF\xA3"s}, {24, "webm"}}, {".webm", false}},
      {"FLV", {{0, "FLV\x01"s}}, {".flv", false}},
      // Audio
      {"MP3 with a large tag", {{0, "ID3\x04\0\0\0\0\x10\0"s}}, {".mp3", false}},
      {"MP3 frames",
       {{0, "\xFF\xFB\x50\0"s}, {208, "\xFF\xFB\x50\0"s}, {416, "\xFF\xFB\x50\0"s}, {624, "\xFF\xFB\x50\0"s}},
       {".mp3", false}},
      {"WAV", {{0, "RIFF"}, {8, "WAVEfmt "}}, {".wav", false}},
      {"M4A", {{4, "ftypM4A "}}, {".m4a", false}},
      {"AMR", {{0, "#!AMR\n"}}, {".amr", false}},
      {"FLAC", {{0, "fLaC"}}, {".flac", false}},
      {"OGG", {{0, "OggS"}}, {".ogg", false}},
      // Documents
      {"PDF", {{0, "%PDF-1.4\n"}}, {".pdf", false}},
      {"RTF", {{0, "{\\rtf1\\ansi"}}, {".rtf", false}},
      {"Excel", CompoundDocument("\0\0\0\0"s, "Workbook"), {".xls", false}},
      {"Word", CompoundDocument("\0\0\0\0"s, "WordDocument"), {".doc", false}},
      {"PowerPoint", CompoundDocument("\0\0\0\0"s, "PowerPoint Document"), {".ppt", false}},
      {"Visio document", CompoundDocument("\0\0\0\0"s, "VisioDocument"), {".vsd", false}},
      {"Outlook message", CompoundDocument("\0\0\0\0"s, "__nameid_version1.0"), {".msg", false}},
      {"compound, directory later", CompoundDocument("\x07\0\0\0"s, "Workbook"), {".doc", false}},
      {"Visio", {{0, "Visio (TM) Drawing\r\n"}}, {".vsd", false}},
      {"DVR", {{0, "DVR\x1A\0\0\0\0\0"s}}, {".dvr", false}},
      // Archives
      {"ZIP", {{0, zip}, {30, "photo.jpg"}}, {".zip", false}},
      {"ODT", {{0, zip}, {30, "mimetypeapplication/vnd.oasis.opendocument.text"}}, {".odt", false}},
      {"ODS", {{0, zip}, {30, "mimetypeapplication/vnd.oasis.opendocument.spreadsheet"}}, {".ods", false}},
      {"EPUB", {{0, zip}, {30, "mimetypeapplication/epub+zip"}}, {".epub", false}},
      {"DOCX", {{0, zip}, {30, "[Content_Types].xml"}, {600, "word/document.xml"}}, {".docx", false}},
      {"XLSX", {{0, zip}, {30, "[Content_Types].xml"}, {600, "xl/workbook.xml"}}, {".xlsx", false}},
      {"PPTX", {{0, zip}, {30, "[Content_Types].xml"}, {600, "ppt/slides/slide1.xml"}}, {".pptx", false}},
      {"JAR", {{0, zip}, {30, "META-INF/MANIFEST.MF"}}, {".jar", false}},
      {"RAR", {{0, "Rar!\x1A\x07\0"s}}, {".rar", false}},
      {"RAR 5", {{0, "Rar!\x1A\x07\x01\0"s}}, {".rar", false}},
      {"7z", {{0, "7z\xBC\xAF\x27\x1C"s}}, {".7z", false}},
      {"GZIP", {{0, "\x1F\x8B\x08\0"s}}, {".gz", false}},
      {"BZIP2", {{0, "BZh91AY&SY"}}, {".bz2", false}},
      {"XZ", {{0, "\xFD" "7zXZ\0"s}}, {".xz", false}},
      {"TAR", {{0, "photos/"}, {257, "ustar\0" "00"s}}, {".tar", false}},
      // Programs
      {"EXE", Program("\x80\0\0\0"s, "\x22\0"s), {".exe", false}},
      {"DLL", Program("\x80\0\0\0"s, "\x22\x20"s), {".dll", false}},
      {"MZ pointing past the sectors", Program("\x01\x03\0\0"s, "\x22\0"s), {"", false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectType(Block(kWindowBytes, c.parts), c.expected);
  }
}

TEST_F(ShippedDictionary, TextAndCsv) {
  std::string text;
  while (text.size() < kWindowBytes) text += "We went to the lake in June, and took 214 photos.\r\n";
  ExpectType(Bytes(text.substr(0, kWindowBytes)), {".txt", false});
  EXPECT_FALSE(dictionary_->MatchIsDistinct());
  ExpectType(Bytes("ID3 tags name the artist of a song.\n"), {".txt", false});

  std::string csv = "\"Name\",\"Taken\",\"Size\"\r\n";
  while (csv.size() < kWindowBytes) csv += "\"IMG_0042.JPG\",\"2024-06-01\",\"3145728\",4000,3000\r\n";
  ExpectType(Bytes(csv.substr(0, kWindowBytes)), {".csv", false});
  EXPECT_FALSE(dictionary_->MatchIsDistinct());
}

TEST_F(ShippedDictionary, RandomAndZeroSectorsAreNotIdentified) {
  std::mt19937 generator(4);
  std::vector<uint8_t> data(kWindowBytes);
  int identified = 0;
  for (int window = 0; window < 2000; ++window) {
    for (uint8_t& byte : data) byte = static_cast<uint8_t>(generator());
    if (Identify(*dictionary_, data)) {
      ++identified;
      ADD_FAILURE() << "random window " << window << " taken for " << dictionary_->MatchExtension();
    }
  }
  EXPECT_EQ(identified, 0);
  ExpectType(std::vector<uint8_t>(kWindowBytes, 0), {"", false});
}

TEST_F(ShippedDictionary, RecognisesFilesMadeByRealTools) {
  struct Sample {
    const char* file;
    Expected expected;
  };
  const Sample samples[] = {
      {"photo.jpg", {".jpg", true}},       {"photo.png", {".png", true}},     {"photo.gif", {".gif", true}},
      {"photo.tif", {".tif", true}},       {"photo-msb.tif", {".tif", true}}, {"photo.bmp", {".bmp", true}},
      {"clip.mp4", {".mp4", false}},       {"clip.mov", {".mov", false}},     {"clip.avi", {".avi", false}},
      {"clip.mkv", {".mkv", false}},       {"sound.mp3", {".mp3", false}},    {"sound-untagged.mp3", {".mp3", false}},
      {"sound.wav", {".wav", false}},      {"archive.zip", {".zip", false}},  {"document.pdf", {".pdf", false}},
      {"program.exe", {".exe", false}},    {"library.dll", {".dll", false}},
  };
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.file);
    std::string bytes = ReadWholeFile(std::string("../samples/") + sample.file);
    ASSERT_FALSE(bytes.empty()) << "missing: run scripts/make-samples.sh BUILD_DIR/samples";
    // What follows a short file on the medium: here zero bytes.
    bytes.resize(kWindowBytes, '\0');
    ExpectType(Bytes(bytes), sample.expected);
  }
}
