#include "ImageSaver.h"

#include <cstring>
#include <memory>

#include "Event.h"
#include "PageMemory.h"
#include "Thread.h"

namespace {

constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kPollMs = 1000;

// Writes one block at a time on a thread of its own, so that the card is read
// while the block before goes to the target: a slow target does not add its
// time to the card's. Without a thread the writes are made at once.
class BlockWriter : public Thread {
 public:
  explicit BlockWriter(ImageFile& file) : file_(file) { threaded_ = start(); }
  ~BlockWriter() override {
    requestStop();
    handed_.set();
    waitUntilFinished();
  }

  // The block stays untouched until Wait has returned.
  void Begin(const uint8_t* data, uint32_t bytes) {
    data_ = data;
    bytes_ = bytes;
    pending_ = true;
    if (threaded_) {
      handed_.set();
    } else {
      Write();
    }
  }

  // The outcome of the write begun last; true when there is none.
  bool Wait(uint32_t& written, uint32_t& error) {
    written = 0;
    if (!pending_) return true;
    while (threaded_ && !written_.wait(kPollMs)) {
    }
    pending_ = false;
    written = writtenBytes_;
    error = error_;
    return ok_;
  }

  uint32_t run(void*) override {
    for (;;) {
      if (!handed_.wait(kPollMs)) continue;
      if (stopRequested()) return 0;
      Write();
      written_.set();
    }
  }

 private:
  void Write() {
    writtenBytes_ = 0;
    ok_ = file_.Write(data_, bytes_, writtenBytes_, error_);
    if (writtenBytes_ > bytes_) writtenBytes_ = bytes_;
  }

  ImageFile& file_;
  bool threaded_ = false;
  bool pending_ = false;
  Event handed_;   // a block is there to write, or the writer is to end
  Event written_;  // the block handed over is written
  const uint8_t* data_ = nullptr;
  uint32_t bytes_ = 0;
  bool ok_ = true;
  uint32_t writtenBytes_ = 0;
  uint32_t error_ = 0;
};

}  // namespace

// What one save has read, collected and written so far.
struct ImageSaver::Run {
  BlockWriter* writer = nullptr;
  uint32_t sectorSize = 0;
  uint64_t total = 0;
  uint64_t nextSector = 0;  // sectors read and collected
  PageMemory blocks[2];     // one collected while the other is written
  int collecting = 0;
  uint32_t blockBytes = 0;
  uint32_t filled = 0;       // collected bytes not yet handed to the writer
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
  if (!run.blocks[0].Allocate(run.blockBytes, run.blockBytes) ||
      !run.blocks[1].Allocate(run.blockBytes, run.blockBytes)) {
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
  auto writer = std::make_unique<BlockWriter>(*file);
  run.writer = writer.get();

  // sectorCount counts sectors of the size the source was opened with; the
  // boot sector analysis may since have set the file system's own.
  const uint32_t laterSectorSize = media_.sectorSize;
  if (laterSectorSize != run.sectorSize) media_.SetSectorSize(run.sectorSize);
  result = Copy(run, progress, cancelled);
  if (laterSectorSize != run.sectorSize) media_.SetSectorSize(laterSectorSize);
  // Copy has waited for every write unless it was cancelled.
  Settle(run);
  writer.reset();

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
      if (!Flush(run) || !Settle(run)) return writeFailed();
      result.outcome = ImageSaveOutcome::kReadFailed;
      result.failedSector = run.failedSector;
      result.error = run.error;
      result.sectorsSaved = wholeSectors();
      return result;
    }
    if (run.filled == run.blockBytes && !Flush(run)) return writeFailed();
    if (progress) progress(run.nextSector, run.total);
  }
  if (!Flush(run) || !Settle(run)) return writeFailed();
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
    std::memcpy(run.blocks[run.collecting].data() + run.filled, media_.buffer, static_cast<std::size_t>(bytes));
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

// Hands the collected block to the writer once the one before is written.
bool ImageSaver::Flush(Run& run) {
  if (!Settle(run)) return false;
  if (run.filled == 0) return true;
  run.writer->Begin(run.blocks[run.collecting].data(), run.filled);
  run.collecting = 1 - run.collecting;
  run.filled = 0;
  return true;
}

// Waits for the write under way, if any, and counts what the file took.
bool ImageSaver::Settle(Run& run) {
  uint32_t written = 0;
  uint32_t error = 0;
  const bool ok = run.writer->Wait(written, error);
  run.bytesInFile += written;
  if (!ok) run.error = error;
  return ok;
}
