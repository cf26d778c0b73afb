#include "ImageSaver.h"

#include <cstring>
#include <memory>

#include "PageMemory.h"

namespace {

constexpr uint32_t kNotEnoughMemory = 8;

}  // namespace

// What one save has read, collected and written so far.
struct ImageSaver::Run {
  ImageFile* file = nullptr;
  uint32_t sectorSize = 0;
  uint64_t total = 0;
  uint64_t nextSector = 0;  // sectors read and collected
  PageMemory block;
  uint32_t blockBytes = 0;
  uint32_t filled = 0;       // collected bytes not yet written
  uint64_t bytesInFile = 0;  // what the file took
  uint32_t failedSector = 0;
  uint32_t error = 0;
};

ImageSaver::ImageSaver(Media& media, ImageTarget& target) : media_(media), target_(target) {}

ImageSaveResult ImageSaver::Save(const std::u16string& path, const Progress& progress, const CancelQuery& cancelled) {
  ImageSaveResult result;
  // Sector numbers are 32-bit: sector 2^32 would be read as sector 0.
  if (media_.sectorCount > kMostSectors) {
    result.outcome = ImageSaveOutcome::kTooLarge;
    return result;
  }

  Run run;
  run.sectorSize = media_.openedSectorSize;
  run.total = media_.sectorCount;
  const uint64_t readBytes = static_cast<uint64_t>(Media::kMaxSectorsPerRead) * run.sectorSize;
  if (run.sectorSize == 0 || run.sectorSize > Media::kLargestSectorSize) {
    result.outcome = ImageSaveOutcome::kReadFailed;  // nothing open
    result.error = kErrorInvalidHandle;
    return result;
  }
  // A whole number of reads per block, so that a read never straddles a write.
  run.blockBytes = static_cast<uint32_t>((kWriteBlockBytes / readBytes) * readBytes);
  if (!run.block.Allocate(run.blockBytes, run.blockBytes)) {
    result.outcome = ImageSaveOutcome::kNotCreated;
    result.error = kNotEnoughMemory;
    return result;
  }

  uint32_t error = 0;
  std::unique_ptr<ImageFile> file = target_.Create(path, error);
  if (!file) {
    result.outcome = ImageSaveOutcome::kNotCreated;
    result.error = error;
    return result;
  }
  run.file = file.get();

  // sectorCount counts sectors of the size the source was opened with; the
  // boot sector analysis may since have set the file system's own.
  const uint32_t laterSectorSize = media_.sectorSize;
  if (laterSectorSize != run.sectorSize) media_.SetSectorSize(run.sectorSize);
  result = Copy(run, progress, cancelled);
  if (laterSectorSize != run.sectorSize) media_.SetSectorSize(laterSectorSize);

  if (result.outcome == ImageSaveOutcome::kCancelled) {
    file.reset();
    result.sectorsSaved = 0;
    if (!target_.Delete(path, error)) result.error = error;
    return result;
  }
  if (!file->Close(error) && result.outcome == ImageSaveOutcome::kDone) {
    result.outcome = ImageSaveOutcome::kWriteFailed;
    result.error = error;
  }
  return result;
}

ImageSaveResult ImageSaver::Copy(Run& run, const Progress& progress, const CancelQuery& cancelled) {
  ImageSaveResult result;
  const auto wholeSectors = [&run] { return run.bytesInFile / run.sectorSize; };
  const auto writeFailed = [&] {
    result.outcome = ImageSaveOutcome::kWriteFailed;
    result.error = run.error;
    result.sectorsSaved = wholeSectors();
    return result;
  };

  if (progress) progress(0, run.total);
  while (run.nextSector < run.total) {
    if (cancelled && cancelled()) {
      result.outcome = ImageSaveOutcome::kCancelled;
      return result;
    }
    const uint64_t left = run.total - run.nextSector;
    const uint32_t count = left < Media::kMaxSectorsPerRead ? static_cast<uint32_t>(left) : Media::kMaxSectorsPerRead;
    if (!ReadRun(run, static_cast<uint32_t>(run.nextSector), count)) {
      // The sectors before the unreadable one still go into the file.
      if (!Flush(run)) return writeFailed();
      result.outcome = ImageSaveOutcome::kReadFailed;
      result.failedSector = run.failedSector;
      result.error = run.error;
      result.sectorsSaved = wholeSectors();
      return result;
    }
    if (run.filled == run.blockBytes && !Flush(run)) return writeFailed();
    if (progress) progress(run.nextSector, run.total);
  }
  if (!Flush(run)) return writeFailed();
  result.sectorsSaved = wholeSectors();
  return result;
}

// A run that cannot be read whole is read a sector at a time, so that the
// file keeps every sector before the bad one and the user learns which it is.
bool ImageSaver::ReadRun(Run& run, uint32_t first, uint32_t count) {
  const auto collect = [&run, this](uint32_t sectors) {
    const uint64_t bytes = static_cast<uint64_t>(sectors) * run.sectorSize;
    if (bytes > run.blockBytes - run.filled || media_.buffer == nullptr) {
      run.error = kErrorInvalidParameter;
      return false;
    }
    std::memcpy(run.block.data() + run.filled, media_.buffer, static_cast<std::size_t>(bytes));
    run.filled += static_cast<uint32_t>(bytes);
    run.nextSector += sectors;
    return true;
  };

  if (media_.ReadSectors(first, count)) {
    if (collect(count)) return true;
    run.failedSector = first;
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    if (!media_.ReadSectors(first + i, 1)) {
      run.failedSector = first + i;
      run.error = media_.lastError;
      return false;
    }
    if (!collect(1)) {
      run.failedSector = first + i;
      return false;
    }
  }
  return true;
}

bool ImageSaver::Flush(Run& run) {
  if (run.filled == 0) return true;
  uint32_t written = 0;
  uint32_t error = 0;
  const bool ok = run.file->Write(run.block.data(), run.filled, written, error);
  run.bytesInFile += written <= run.filled ? written : run.filled;
  run.filled = 0;
  if (!ok) run.error = error;
  return ok;
}
