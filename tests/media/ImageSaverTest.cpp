// Saving an image: the file it writes, where it stops and what it says, over
// the in-memory device and a target held in memory that can refuse.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ImageSaver.h"
#include "MediaTestSupport.h"

namespace {

constexpr uint64_t kMiB = 1 << 20;

// Files in memory; a volume that takes capacity bytes in all, then fails.
class MemoryImageTarget : public ImageTarget {
 public:
  std::map<std::u16string, std::vector<uint8_t>> files;
  uint32_t createError = 0;
  uint64_t capacity = UINT64_MAX;
  uint32_t fullError = 112;
  uint32_t closeError = 0;
  uint32_t deleteError = 0;
  std::vector<uint32_t> writeSizes;

  std::unique_ptr<ImageFile> Create(const std::u16string& path, uint32_t& error) override;
  bool Delete(const std::u16string& path, uint32_t& error) override {
    if (deleteError != 0) {
      error = deleteError;
      return false;
    }
    files.erase(path);
    return true;
  }
};

class MemoryImageFile : public ImageFile {
 public:
  MemoryImageFile(MemoryImageTarget& target, std::vector<uint8_t>& bytes) : target_(target), bytes_(bytes) {}

  bool Write(const uint8_t* data, uint32_t bytes, uint32_t& written, uint32_t& error) override {
    target_.writeSizes.push_back(bytes);
    const uint64_t room = target_.capacity > bytes_.size() ? target_.capacity - bytes_.size() : 0;
    written = room < bytes ? static_cast<uint32_t>(room) : bytes;
    bytes_.insert(bytes_.end(), data, data + written);
    if (written == bytes) return true;
    error = target_.fullError;
    return false;
  }
  bool Close(uint32_t& error) override {
    error = target_.closeError;
    return error == 0;
  }

 private:
  MemoryImageTarget& target_;
  std::vector<uint8_t>& bytes_;
};

std::unique_ptr<ImageFile> MemoryImageTarget::Create(const std::u16string& path, uint32_t& error) {
  if (createError != 0) {
    error = createError;
    return nullptr;
  }
  std::vector<uint8_t>& bytes = files[path];
  bytes.clear();
  return std::make_unique<MemoryImageFile>(*this, bytes);
}

const std::u16string kPath = u"D:\\Images\\card.img";

class ImageSave : public MediaTest {
 protected:
  // A card behind the reader as E:, one partition over all of it.
  std::shared_ptr<MemoryMedium> OpenCard(uint64_t bytes, uint32_t sectorSize = 512) {
    auto card = AddDrive('E', bytes, sectorSize);
    card->partitions = {Partition(0, static_cast<int64_t>(bytes / sectorSize), 0x0C, sectorSize)};
    EXPECT_TRUE(media->OpenDrive('E'));
    return card;
  }

  ImageSaveResult Save() {
    ImageSaver saver(*media, target);
    return saver.Save(
        kPath, [this](uint64_t done, uint64_t total) { progress.push_back({done, total}); },
        [this] { return ++cancelQueries > cancelAfter; });
  }

  bool Saved() const { return target.files.count(kPath) != 0; }
  const std::vector<uint8_t>& File() { return target.files[kPath]; }
  std::vector<uint8_t> Leading(const MemoryMedium& medium, uint64_t bytes) const {
    return std::vector<uint8_t>(medium.bytes.begin(), medium.bytes.begin() + static_cast<std::ptrdiff_t>(bytes));
  }

  MemoryImageTarget target;
  std::vector<std::pair<uint64_t, uint64_t>> progress;
  uint64_t cancelQueries = 0;
  uint64_t cancelAfter = UINT64_MAX;
};

}  // namespace

TEST_F(ImageSave, FortySectorImageSavesToAnIdenticalFileInReadsOfSixteen) {
  auto image = AddImage("card.img", 40 * 512);
  ASSERT_TRUE(media->OpenImage("card.img"));

  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kDone);
  EXPECT_EQ(result.sectorsSaved, 40u);
  EXPECT_EQ(result.error, 0u);
  ASSERT_EQ(File().size(), 20480u);
  EXPECT_EQ(File(), image->bytes);
  // The last read is the 8 sectors that are left.
  EXPECT_EQ(image->counters.lastOffset, 32u * 512);
  EXPECT_EQ(image->counters.lastBytes, 8u * 512);
  EXPECT_EQ(progress.back(), std::make_pair(uint64_t(40), uint64_t(40)));
}

TEST_F(ImageSave, PartialLastSectorAndEmptySource) {
  auto image = AddImage("card.img", 40 * 512 + 100);
  ASSERT_TRUE(media->OpenImage("card.img"));
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kDone);
  EXPECT_EQ(result.sectorsSaved, 40u);
  EXPECT_EQ(File(), Leading(*image, 40 * 512));

  AddImage("empty.img", 0);
  ASSERT_TRUE(media->OpenImage("empty.img"));
  result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kDone);
  EXPECT_EQ(result.sectorsSaved, 0u);
  ASSERT_TRUE(Saved());
  EXPECT_TRUE(File().empty());
}

TEST_F(ImageSave, WritesInBlocksOfAMebibyte) {
  auto card = OpenCard(5 * kMiB / 2);
  ASSERT_EQ(Save().outcome, ImageSaveOutcome::kDone);
  EXPECT_EQ(target.writeSizes, (std::vector<uint32_t>{kMiB, kMiB, kMiB / 2}));
  EXPECT_EQ(File(), card->bytes);
}

TEST_F(ImageSave, SectorsOfTheSizeTheSourceWasOpenedWith) {
  auto card = OpenCard(64 * 4096, 4096);
  ASSERT_EQ(media->sectorCount, 64u);
  media->SetSectorSize(512);  // as a file system of 512-byte sectors would declare

  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kDone);
  EXPECT_EQ(result.sectorsSaved, 64u);
  EXPECT_EQ(File(), card->bytes);
  EXPECT_EQ(media->sectorSize, 512u);  // the run's sector size is back
}

TEST_F(ImageSave, ReadErrorNamesTheSectorAndKeepsTheSectorsBeforeIt) {
  auto card = OpenCard(4 * kMiB);
  card->FailSector(21);
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kReadFailed);
  EXPECT_EQ(result.failedSector, 21u);
  EXPECT_EQ(result.error, kErrorCrc);
  EXPECT_EQ(result.sectorsSaved, 21u);
  EXPECT_EQ(File(), Leading(*card, 21 * 512));

  // Beyond the blocks already written: those and the sectors collected since.
  card = OpenCard(4 * kMiB);
  card->FailSector(5000, 55);
  result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kReadFailed);
  EXPECT_EQ(result.failedSector, 5000u);
  EXPECT_EQ(result.error, 55u);
  EXPECT_EQ(result.sectorsSaved, 5000u);
  EXPECT_EQ(File(), Leading(*card, 5000 * 512));
}

TEST_F(ImageSave, RunThatFailsWholeButReadsSectorBySectorGoesOn) {
  auto card = OpenCard(kMiB);
  card->FailSectorFirst(20, Media::kReadAttempts);
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kDone);
  EXPECT_EQ(File(), card->bytes);
}

TEST_F(ImageSave, SectorCountAtAndBeyondWhatSectorNumbersReach) {
  // 2^32 + 1 sectors: sector 2^32 would be read as sector 0.
  auto card = AddDrive('E', 40 * 512);
  card->partitions = {Partition(1, (int64_t(1) << 32), 0x0C)};
  ASSERT_TRUE(media->OpenDrive('E'));
  ASSERT_EQ(media->sectorCount, (uint64_t(1) << 32) + 1);
  const uint64_t requests = card->counters.readRequests;
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kTooLarge);
  EXPECT_FALSE(Saved());
  EXPECT_EQ(card->counters.readRequests, requests);

  // Exactly 2^32 is all addressable: the save runs until the data ends.
  card->partitions = {Partition(0, int64_t(1) << 32, 0x0C)};
  ASSERT_TRUE(media->OpenDrive('E'));
  ASSERT_EQ(media->sectorCount, uint64_t(1) << 32);
  result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kReadFailed);
  EXPECT_EQ(result.failedSector, 40u);
  EXPECT_EQ(result.sectorsSaved, 40u);
  EXPECT_EQ(File(), card->bytes);
}

TEST_F(ImageSave, FullTargetSaysSoAndKeepsWhatItTook) {
  auto card = OpenCard(4 * kMiB);
  target.capacity = 10000;  // not a whole number of sectors
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kWriteFailed);
  EXPECT_EQ(result.error, 112u);
  EXPECT_EQ(result.sectorsSaved, 19u);
  EXPECT_EQ(File(), Leading(*card, 10000));

  // The 4 GiB of a FAT32 volume, after blocks that went in whole.
  target.capacity = 2 * kMiB;
  target.fullError = 223;
  result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kWriteFailed);
  EXPECT_EQ(result.error, 223u);
  EXPECT_EQ(result.sectorsSaved, 4096u);
  EXPECT_EQ(File(), Leading(*card, 2 * kMiB));

  // A late failure reported by the close.
  target.capacity = UINT64_MAX;
  target.closeError = 112;
  result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kWriteFailed);
  EXPECT_EQ(result.error, 112u);
}

TEST_F(ImageSave, FullTargetWhileKeepingTheSectorsBeforeABadOne) {
  auto card = OpenCard(kMiB);
  card->FailSector(100);
  target.capacity = 50 * 512;
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kWriteFailed);
  EXPECT_EQ(result.sectorsSaved, 50u);
}

TEST_F(ImageSave, CancelDeletesTheFile) {
  OpenCard(4 * kMiB);
  cancelAfter = 3;
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kCancelled);
  EXPECT_EQ(result.error, 0u);
  EXPECT_FALSE(Saved());

  // After blocks were written; a file that cannot be deleted says why.
  cancelQueries = 0;
  cancelAfter = 300;  // reads of 8 KiB: two blocks written, a third collected
  target.deleteError = 32;
  result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kCancelled);
  EXPECT_EQ(result.error, 32u);
  EXPECT_EQ(target.writeSizes.size(), 2u);
}

TEST_F(ImageSave, TargetThatCannotBeCreated) {
  auto card = OpenCard(kMiB);
  const uint64_t requests = card->counters.readRequests;
  target.createError = 5;
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kNotCreated);
  EXPECT_EQ(result.error, 5u);
  EXPECT_EQ(card->counters.readRequests, requests);
}

TEST_F(ImageSave, NothingOpenIsAReadFailureWithoutAFile) {
  ImageSaveResult result = Save();
  EXPECT_EQ(result.outcome, ImageSaveOutcome::kReadFailed);
  EXPECT_EQ(result.error, kErrorInvalidHandle);
  EXPECT_FALSE(Saved());
}

TEST_F(ImageSave, ProgressAndCancelAtLeastEverySixteenSectorsUpToTheTotal) {
  OpenCard(1000 * 512 + 512 * 7);
  ASSERT_EQ(Save().outcome, ImageSaveOutcome::kDone);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.front().first, 0u);
  uint64_t last = 0;
  for (const auto& step : progress) {
    EXPECT_EQ(step.second, 1007u);
    EXPECT_LE(step.first - last, 16u);
    last = step.first;
  }
  EXPECT_EQ(last, 1007u);
  EXPECT_GE(cancelQueries, 1007u / 16);
}
