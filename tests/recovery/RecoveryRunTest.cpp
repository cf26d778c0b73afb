// The run's own decisions: where the data ends, whether the FAT volume gave
// enough to skip the sector search, and how the search cuts what it finds.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iterator>
#include <thread>

#include "FatBuilder.h"
#include "RunHarness.h"
#include "StatusList.h"
#include "TestFiles.h"
#include "TypeDB.h"

namespace {

constexpr uint32_t kSector = 512;

void Place(std::vector<uint8_t>& image, uint32_t sector, const std::vector<uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(sector) * kSector);
}

class RecoveryRunTest : public ::testing::Test {
 protected:
  void SetUp() override { UseScratchDocumentsFolder(); }

  RunHarness& RunOn(const std::vector<uint8_t>& image, bool suppressIntensive = false) {
    harness.reset(new RunHarness(image));
    harness->run->options.suppressIntensive = suppressIntensive;
    EXPECT_TRUE(harness->Run());
    return *harness;
  }

  std::unique_ptr<RunHarness> harness;
};

// A FAT16 volume with a few small files, and a photo in free clusters that
// only the sector search finds.
class EnoughFoundTest : public RecoveryRunTest {
 protected:
  void Build(uint32_t files, uint32_t deletedFiles) {
    for (uint32_t i = 0; i < files + deletedFiles; ++i)
      volume.addFile(0, {"FILE" + std::to_string(i) + "   TXT", 0x20, 10 + i, 100}, std::vector<uint8_t>(100, 'a'));
    for (uint32_t i = files; i < files + deletedFiles; ++i) volume.markDeleted(0, i);
    Place(volume.image, volume.clusterSector(500), SampleFile("photo.jpg"));
  }
  bool Carved() const { return harness->Find("\\Rec00001.jpg") != nullptr; }

  FatBuilder volume{FatKind::kFat16, 4200};
};

struct LaidOut {
  const char* name;
  const char* extension;          // as the dictionary names it
  const char* builtIn = nullptr;  // as the built-in tests name it, where they name it otherwise
  uint32_t leftovers = 3;         // sectors of random bytes after it
};

// The MJPEG clips' frames are JPEG files, the first of them at a sector's
// start, as are the RAW files' previews.
const LaidOut kLaidOut[] = {{"photo.png", "png"},     {"photo-large.png", "png"}, {"photo.gif", "gif"},
                            {"photo-large.gif", "gif"}, {"sound.wav", "wav"},      {"sound-odd.wav", "wav"},
                            {"clip-mjpeg.avi", "avi"},  {"clip.avi", "avi"},       {"pane-clip.avi", "avi"},
                            {"clip-mjpeg.avi", "avi"},  {"clip.mp4", "mp4"},       {"clip-mp42.mp4", "mp4"},
                            {"clip-fragmented.mp4", "mp4"}, {"clip.mov", "mov"},   {"clip-mjpeg.mov", "mov"},
                            {"clip-wide.mov", "mov"},   {"clip-mdat.mov", "mov"},  {"clip-moov.mov", "mov"},
                            {"clip.3gp", "3gp"},        {"sound.m4a", "m4a"},
                            {"tiff-strips.tif", "tif"}, {"tiff-tiles.tif", "tif"}, {"tiff-pages.tif", "tif"},
                            {"camera.dng", "dng", "tif"}, {"camera.cr2", "cr2", "tif"}, {"camera.nef", "nef", "tif"},
                            {"sound-128k.mp3", "mp3"},  {"sound-320k.mp3", "mp3"}, {"sound-vbr.mp3", "mp3"},
                            {"sound-8k.mp3", "mp3"},    {"clip-ended.mpg", "mpg"}};

// PDFs only the dictionary knows; the last of them runs straight into a PNG.
const LaidOut kLaidOutWithTheDictionary[] = {
    {"document-updated.pdf", "pdf"}, {"sound-128k.mp3", "mp3"}, {"document-crlf.pdf", "pdf"},
    {"sound-320k.mp3", "mp3"},       {"sound-22k.mp3", "mp3"},  {"sound-8k.mp3", "mp3"},
    {"sound-vbr.mp3", "mp3"},        {"clip-ended.mpg", "mpg"}, {"document.pdf", "pdf", nullptr, 0},
    {"photo.png", "png"}};

// Lays the files from sector first on, each followed by its random
// leftovers, growing the image when it must; their bytes.
template <std::size_t N>
std::vector<std::vector<uint8_t>> LayOutAmongLeftovers(std::vector<uint8_t>& image, uint32_t first,
                                                       const LaidOut (&list)[N]) {
  std::vector<std::vector<uint8_t>> files;
  uint32_t sector = first;
  for (const LaidOut& sample : list) {
    files.push_back(SampleFile(sample.name));
    if (files.back().empty()) return {};
    const uint32_t sectors = static_cast<uint32_t>((files.back().size() + kSector - 1) / kSector);
    const std::size_t end = (sector + sectors + sample.leftovers + 200) * std::size_t(kSector);  // empty after all
    if (image.size() < end) image.resize(end, 0);
    Place(image, sector, files.back());
    Place(image, sector + sectors, RandomBytes(sample.leftovers * kSector, sector));
    sector += sectors + sample.leftovers;
  }
  return files;
}

// Lays the files out on a raw image and on a quick-formatted volume, runs
// the search over each and expects every file back byte for byte, in order.
// Without the dictionary the TIFF box is ticked, as the built-in tests skip
// TIFF otherwise.
template <std::size_t N>
void ExpectEachBackWhole(const LaidOut (&list)[N], TypeDB* dictionary, std::unique_ptr<RunHarness>& harness) {
  std::vector<uint8_t> raw(200 * kSector, 0);
  FatBuilder formatted(FatKind::kFat16, 4200);  // as a quick format leaves a card: empty root and FAT
  for (std::vector<uint8_t>* image : {&raw, &formatted.image}) {
    SCOPED_TRACE(image == &raw ? "raw image" : "quick-formatted volume");
    const uint32_t first = image == &raw ? 100 : formatted.clusterSector(100);
    std::vector<std::vector<uint8_t>> files = LayOutAmongLeftovers(*image, first, list);
    ASSERT_EQ(files.size(), N);
    harness.reset(new RunHarness(*image, dictionary));
    harness->run->options.types.wantTiff = true;
    ASSERT_TRUE(harness->Run());
    ASSERT_EQ(harness->Records().size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
      SCOPED_TRACE(list[i].name);
      const bool renamed = dictionary == nullptr && list[i].builtIn != nullptr;
      char path[32];
      std::snprintf(path, sizeof path, "\\Rec%05u.%s", static_cast<unsigned>(i + 1),
                    renamed ? list[i].builtIn : list[i].extension);
      const File* record = harness->Find(path);
      ASSERT_NE(record, nullptr);
      EXPECT_EQ(harness->Data(*record), files[i]);
    }
  }
}

}  // namespace

TEST_F(RecoveryRunTest, TheSearchEndsJustAboveTheLastProbeWithData) {
  std::vector<uint8_t> image(20000 * kSector, 0);
  image[5140 * kSector] = 0xAB;  // inside the probe at 19984 - 29 * 512 = 5136
  EXPECT_EQ(RunOn(image, true).run->scanEnd.load(), 5136u + 512);
  EXPECT_EQ(harness->lines.front(), "Searching 19984 sectors...");

  std::fill(image.begin(), image.end(), 0xFF);  // erased flash is data
  EXPECT_EQ(RunOn(image, true).run->scanEnd.load(), 19984u);

  EXPECT_EQ(RunOn(std::vector<uint8_t>(1552 * kSector, 0), true).run->scanEnd.load(), 1536u);
  EXPECT_EQ(RunOn(std::vector<uint8_t>(8 * kSector, 0), true).run->scanEnd.load(), 0u);
}

TEST_F(RecoveryRunTest, WithTheSearchSuppressedAMediumWithoutFatGivesTheSummaryOnly) {
  std::vector<uint8_t> image(4000 * kSector, 0);
  Place(image, 200, SampleFile("photo.jpg"));
  RunOn(image, true);
  EXPECT_TRUE(harness->Records().empty());
  EXPECT_EQ(harness->lines,
            (std::vector<std::string>{"Searching 3984 sectors...", "Found 0.00 KB of files on a medium of 1.95 MB."}));
}

TEST_F(RecoveryRunTest, APhotoWithItsLengthTakesItsSectorsAndTheNextSectorIsExamined) {
  std::vector<uint8_t> image(4000 * kSector, 0);
  std::vector<uint8_t> small = SampleFile("photo.jpg"), large = SampleFile("progressive.jpg");
  Place(image, 200, small);  // 535 bytes: 2 sectors
  Place(image, 202, large);
  RunOn(image);
  ASSERT_EQ(harness->Records().size(), 2u);
  const File* first = harness->Find("\\Rec00001.jpg");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->size, small.size());
  ASSERT_EQ(first->runs.size(), 1u);
  EXPECT_EQ(first->runs[0].first, 200u);
  EXPECT_EQ(first->runs[0].count, 2u);
  EXPECT_EQ(harness->Data(*harness->Find("\\Rec00002.jpg")), large);
  EXPECT_TRUE(harness->Logged("The sector search found 2 files."));
}

TEST_F(RecoveryRunTest, AFileWithoutLengthEndsAtItsDataAfterMoreThan100EmptySectors) {
  for (uint32_t empty : {100u, 101u}) {
    SCOPED_TRACE(empty);
    std::vector<uint8_t> image(4000 * kSector, 0);
    // A PNG without its IEND chunk has no length: 567 bytes, data in sectors 300 and 301.
    std::vector<uint8_t> noEnd = SampleFile("photo.png");
    noEnd.resize(noEnd.size() - 12);
    Place(image, 300, noEnd);
    Place(image, 302 + empty, SampleFile("photo.gif"));
    RunOn(image);
    const File* png = harness->Find("\\Rec00001.png");
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->countSectors(), 2u + empty);
    EXPECT_EQ(png->size, (empty > 100 ? 2u : 2u + empty) * kSector);
    EXPECT_TRUE(png->isPicture);
  }
}

TEST_F(EnoughFoundTest, FiveFilesNeedNoSearch) {
  Build(5, 0);
  RunOn(volume.image);
  EXPECT_FALSE(Carved());
  EXPECT_FALSE(harness->Logged("Searching every sector for lost files. This can take a while."));
}

TEST_F(EnoughFoundTest, FewerFilesGetTheDeletedPassAndThenTheSearch) {
  Build(4, 0);
  harness.reset(new RunHarness(volume.image));
  ASSERT_TRUE(harness->Run());
  EXPECT_TRUE(harness->run->options.includeDeleted);
  EXPECT_TRUE(Carved());

  volume = FatBuilder(FatKind::kFat16, 4200);  // four live files and one deleted: the deleted pass makes five
  Build(4, 1);
  harness.reset(new RunHarness(volume.image));
  ASSERT_TRUE(harness->Run());
  EXPECT_NE(harness->Find("\\@ILE4.TXT"), nullptr);
  EXPECT_FALSE(Carved());
}

TEST_F(EnoughFoundTest, WithDeletedEntriesWalkedFromTheStartFewFilesStillGetTheSearch) {
  Build(4, 0);
  harness.reset(new RunHarness(volume.image));
  harness->run->options.includeDeleted = true;
  ASSERT_TRUE(harness->Run());
  EXPECT_TRUE(Carved());
}

TEST_F(EnoughFoundTest, HalfTheMediumInFilesNeedsNoSearchUnlessForced) {
  volume.addFile(0, {"BIG     BIN", 0x20, 600, 1200000}, std::vector<uint8_t>(1200000, 'b'));
  Place(volume.image, volume.clusterSector(500), SampleFile("photo.jpg"));
  RunOn(volume.image);
  EXPECT_FALSE(Carved());

  harness.reset(new RunHarness(volume.image));
  harness->run->options.forceIntensive = true;
  ASSERT_TRUE(harness->Run());
  EXPECT_TRUE(Carved());
}

TEST_F(EnoughFoundTest, FilesAtTheEndOfAPartitionedCardAreClaimedToo) {
  // The volume starts at sector 2048; its last cluster lies past the first
  // "total sectors" sectors of the card.
  volume = FatBuilder(FatKind::kFat16, 4200, 1, 2048);
  volume.image[446] = 0x80;
  volume.image[450] = 0x06;
  volume.image[455] = 0x08;  // first sector 2048
  volume.image[510] = 0x55;
  volume.image[511] = 0xAA;
  volume.addFile(0, {"LAST    JPG", 0x20, 4200, 535}, SampleFile("photo.jpg"));
  harness.reset(new RunHarness(volume.image));
  harness->run->options.forceIntensive = true;
  ASSERT_TRUE(harness->Run());
  EXPECT_NE(harness->Find("\\LAST.JPG"), nullptr);
  EXPECT_FALSE(Carved());  // not found a second time by the search
}

TEST_F(EnoughFoundTest, AnUnreadableFatLeavesTheSearch) {
  Build(5, 0);
  harness.reset(new RunHarness(volume.image));
  harness->medium->FailSector(2);
  ASSERT_TRUE(harness->Run());
  EXPECT_TRUE(harness->run->structureDamaged);
  EXPECT_TRUE(Carved());
}

TEST_F(RecoveryRunTest, AStopRequestEndsARunPromptly) {
  // A slow reader (200 us a request) and a card erased to FF: the search
  // would take seconds.
  harness.reset(new RunHarness(std::vector<uint8_t>(20000 * kSector, 0xFF)));
  harness->medium->latencyMicroseconds = 200;
  harness->medium->waitForModelledTime = true;
  ASSERT_TRUE(harness->run->start());
  harness->run->startEvent.set();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(harness->run->isFinished());
  EXPECT_TRUE(harness->run->end(2000));
}

// The counters as the status step reads them, taken at each line of the run:
// the search for the end fills the first quarter, the sector search goes on
// from there (it once started again from 0), and the summary stands at 100.
TEST_F(RecoveryRunTest, TheProgressNeverGoesBackFromOnePhaseToTheNext) {
  std::vector<uint8_t> image(8192 * kSector, 0);
  Place(image, 8000, std::vector<uint8_t>(kSector, 'd'));
  Place(image, 3000, SampleFile("photo.jpg"));
  harness.reset(new RunHarness(image));
  Recovery& run = *harness->run;
  std::vector<uint64_t> percents;
  run.setStatusList(std::make_unique<CallbackStatusList>([&run, &percents](const std::string&) {
    const uint64_t end = run.scanEnd.load();
    percents.push_back(end == 0 ? 0 : uint64_t{run.progressPos.load()} * 100 / end);
  }));
  ASSERT_TRUE(harness->Run());
  ASSERT_GE(percents.size(), 3u);  // 506, 507, ..., 509
  EXPECT_EQ(percents[1], 25u) << "when the sector search begins";
  for (std::size_t i = 1; i < percents.size(); ++i) EXPECT_GE(percents[i], percents[i - 1]) << "line " << i;
  EXPECT_EQ(percents.back(), 100u);
  EXPECT_EQ(run.progressPercent(), 100u);
}

// As a user runs it: without the dictionary, and with it beside the program.
TEST_F(RecoveryRunTest, FilesOfKnownLengthComeBackWholeAndNothingIsCarvedFromInsideThem) {
  ExpectEachBackWhole(kLaidOut, nullptr, harness);
  TypeDB dictionary;
  ASSERT_TRUE(dictionary.Load("FileIdentify.dict")) << dictionary.ErrorText();
  ExpectEachBackWhole(kLaidOut, &dictionary, harness);
}

TEST_F(RecoveryRunTest, WithTheDictionaryPdfsEndAtTheirLastEofAndTheLeftoversAreNotTaken) {
  TypeDB dictionary;
  ASSERT_TRUE(dictionary.Load("FileIdentify.dict")) << dictionary.ErrorText();
  ExpectEachBackWhole(kLaidOutWithTheDictionary, &dictionary, harness);
}

// Each of its packs starts a sector with another pack 2048 bytes on, and
// the stream has no end code to give its length.
TEST_F(RecoveryRunTest, AProgramStreamWithoutItsEndCodeIsOneFile) {
  std::vector<uint8_t> image(400 * kSector, 0);
  const std::vector<uint8_t> clip = SampleFile("clip.mpg");
  ASSERT_EQ(clip.size() % kSector, 0u);
  Place(image, 100, clip);
  RunOn(image);
  ASSERT_EQ(harness->Records().size(), 1u);
  const File* record = harness->Find("\\Rec00001.mpg");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(harness->Data(*record), clip);
}

TEST_F(RecoveryRunTest, ALengthRunningIntoAClaimedSectorIsNotTaken) {
  // A live file's cluster lies where the PNG's second half would be: the PNG
  // found before it runs to it, as a file of unknown length.
  FatBuilder volume(FatKind::kFat16, 4200);
  std::vector<uint8_t> png = SampleFile("photo-large.png");
  ASSERT_FALSE(png.empty());
  const uint32_t first = volume.clusterSector(1000);
  Place(volume.image, first, png);
  volume.addFile(0, {"LIVE    TXT", 0x20, 1010, 100}, std::vector<uint8_t>(100, 'a'));
  harness.reset(new RunHarness(volume.image));
  harness->run->options.forceIntensive = true;
  ASSERT_TRUE(harness->Run());
  const File* carved = nullptr;
  for (const File* record : harness->Records())
    if (record->countSectors() > 0 && record->nextSector(0) == first) carved = record;
  ASSERT_NE(carved, nullptr);
  EXPECT_EQ(carved->countSectors(), volume.clusterSector(1010) - first);
  EXPECT_NE(carved->size, png.size());
}

// A photo written later over the end of a file whose header still gives its
// old length: the photo comes back whole, and the file ends where the photo
// begins, as a file without a length of its own would. (An MJPEG clip or a
// RAW file cut so gives the frames or preview before the photo as photos of
// their own too.)
TEST_F(RecoveryRunTest, APhotoOverTheEndOfAFileIsNotTakenInByTheFilesLength) {
  const std::vector<uint8_t> photo = SampleFile("fat-files/lake.jpg");
  ASSERT_FALSE(photo.empty());
  TypeDB dictionary;
  ASSERT_TRUE(dictionary.Load("FileIdentify.dict")) << dictionary.ErrorText();
  for (const char* name : {"photo-large.png", "photo-large.gif", "sound.wav", "clip.avi", "clip.mp4",
                           "clip-mp42.mp4", "clip.mov", "tiff-strips.tif",
                           "sound-128k.mp3", "clip-ended.mpg", "archive.zip", "photo.bmp"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> file = SampleFile(name);
    ASSERT_FALSE(file.empty());
    const uint32_t sectors = static_cast<uint32_t>((file.size() + kSector - 1) / kSector);
    const uint32_t kept = std::max<uint32_t>(1, sectors * 6 / 10);
    std::vector<uint8_t> image((300 + sectors) * std::size_t(kSector) + photo.size(), 0);
    Place(image, 100, file);
    Place(image, 100 + kept, photo);
    harness.reset(new RunHarness(image, &dictionary));
    ASSERT_TRUE(harness->Run());
    ASSERT_EQ(harness->Records().size(), 2u);
    const std::vector<uint8_t> head(file.begin(), file.begin() + std::min<std::size_t>(file.size(), kept * kSector));
    EXPECT_EQ(harness->Data(*harness->Records()[0]), head);
    EXPECT_EQ(harness->Data(*harness->Records()[1]), photo);
  }
}
