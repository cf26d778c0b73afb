// Saving an image: every sector of an open source, 0 .. sectorCount - 1 in
// the sector size it was opened with, into one raw file, for a failing card
// that should be read once. The step that offers it calls Save on the
// user-interface thread and keeps its dialog live through the two callbacks.
//
// Error convention: Save returns what happened as an ImageSaveResult; every
// failure carries the Windows error code of the step that failed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ImageTarget.h"
#include "Media.h"

enum class ImageSaveOutcome {
  kDone,        // every sector saved
  kCancelled,   // the file is deleted (error: why it could not be, else 0)
  kReadFailed,  // failedSector could not be read; the sectors before it are kept
  kWriteFailed, // the file is full (112), too large for its volume (223), ...; what it holds is kept
  kNotCreated,  // nothing written (text 120 with error)
  kTooLarge,    // more sectors than 32-bit sector numbers reach; nothing created
};

struct ImageSaveResult {
  ImageSaveOutcome outcome = ImageSaveOutcome::kDone;
  uint64_t sectorsSaved = 0;  // whole sectors the file holds
  uint32_t failedSector = 0;  // kReadFailed only
  uint32_t error = 0;         // Windows error code; 0 for kDone and kTooLarge
};

class ImageSaver {
 public:
  // Sectors done and the total, before the first read, after every read of
  // up to 16 sectors and at the end.
  using Progress = std::function<void(uint64_t done, uint64_t total)>;
  // Asked before every read; true ends the save and deletes the file.
  using CancelQuery = std::function<bool()>;

  // What a 32-bit sector number reaches: sectors 0 .. 2^32 - 1.
  static constexpr uint64_t kMostSectors = uint64_t(1) << 32;
  // Collected before each write, so that the target sees few large writes.
  static constexpr uint32_t kWriteBlockBytes = 1u << 20;

  // media is open; nothing else reads through it while Save runs.
  ImageSaver(Media& media, ImageTarget& target);

  ImageSaveResult Save(const std::u16string& path, const Progress& progress, const CancelQuery& cancelled);

 private:
  struct Run;

  bool ReadRun(Run& run, uint32_t first, uint32_t count);
  bool Flush(Run& run);
  bool Settle(Run& run);
  ImageSaveResult Copy(Run& run, const Progress& progress, const CancelQuery& cancelled);

  Media& media_;
  ImageTarget& target_;
};
