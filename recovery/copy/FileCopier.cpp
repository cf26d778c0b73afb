#include "FileCopier.h"

#include <algorithm>
#include <cstdint>

#include "File.h"
#include "Media.h"
#include "MessagePump.h"
#include "System.h"
#include "TargetName.h"
#include "Trace.h"

namespace {

// A part of the path as the medium names it: the long name whole (UTF-16),
// else the 8.3 name.
std::u16string PartName(const File& record) {
  return record.longName.empty() ? TargetText(record.displayName()) : record.longName;
}

}  // namespace

FileCopier::FileCopier(Media& media, const std::string& destination, TargetFileSystem& files)
    : media_(media), destination_(TargetText(destination)), files_(files) {
  if (!destination_.empty() && IsTargetSeparator(destination_.back())) destination_.pop_back();
}

// The records of the path below the root, from the top down: the folders,
// then the record itself.
std::vector<const File*> FileCopier::PathRecords(const File& record) {
  std::vector<const File*> records = {&record};
  for (const File* folder = record.parent; folder != nullptr && folder->parent != nullptr; folder = folder->parent)
    records.push_back(folder);
  return std::vector<const File*>(records.rbegin(), records.rend());
}

std::vector<std::u16string> FileCopier::SafeParts(const File& record) {
  std::vector<std::u16string> parts;
  for (const File* part : PathRecords(record)) parts.push_back(SafeName(PartName(*part)));
  return parts;
}

std::u16string FileCopier::TargetPath(const File& record) const {
  std::u16string path = destination_;
  for (const std::u16string& part : SafeParts(record)) path += kTargetSeparator + part;
  return path;
}

// The root itself is not probed: a drive or a share is never a plain file
// and cannot be made.
bool FileCopier::EnsureFolders(const std::u16string& path) {
  const std::size_t root = TargetRootLength(path);
  if (root == 0) {
    lastError = kErrorInvalidName;
    return false;
  }
  for (std::size_t end = root + 1; end < path.size(); ++end) {
    if (!IsTargetSeparator(path[end]) || IsTargetSeparator(path[end - 1])) continue;
    const std::u16string folder = path.substr(0, end);
    uint32_t error = 0;
    switch (files_.Find(folder)) {
      case EntryKind::kFolder: break;
      case EntryKind::kNothing:
        // A failure shows when the file is created.
        if (files_.MakeFolder(folder, error)) made_[NameKey(folder)] = folder;
        break;
      case EntryKind::kFile:
        lastError = kErrorAlreadyExists;
        return false;
    }
  }
  return true;
}

// A file never takes the place of anything: what the destination holds, a
// file this copier wrote or a folder it used. A folder joins an existing
// folder of its name, but never takes the place of a file.
bool FileCopier::Taken(const std::u16string& path, bool forFile) const {
  const std::u16string key = NameKey(path);
  if (written_.count(key) != 0 || refused_.count(key) != 0) return true;
  if (forFile) return folders_.count(key) != 0 || files_.Find(path) != EntryKind::kNothing;
  return replaceBlockingFiles && files_.Find(path) == EntryKind::kFile;
}

// The first of "NAME", "NAME (2)", ... below folder that is not taken. The
// numbers end somewhere: a destination that holds them all gets the last,
// which its creation then refuses.
std::u16string FileCopier::FreeName(const std::u16string& folder, const std::u16string& name, bool forFile) const {
  constexpr unsigned kLastNumber = 100000;
  std::u16string candidate = folder + kTargetSeparator + name;
  for (unsigned number = 2; number <= kLastNumber && Taken(candidate, forFile); ++number)
    candidate = folder + kTargetSeparator + NumberedName(name, number);
  return candidate;
}

std::u16string FileCopier::UnwrittenTarget(const File& record) {
  const std::vector<const File*> records = PathRecords(record);
  std::u16string path = destination_;
  for (std::size_t i = 0; i + 1 < records.size(); ++i) {
    path = FreeName(path, SafeName(PartName(*records[i])), false);
    folders_[NameKey(path)] = records[i];
  }
  return FreeName(path, SafeName(PartName(record)), true);
}

// Creation refuses a name that came into being since it was found free (or
// a link whose target is missing, which no search finds): the next name is
// tried, a few times.
bool FileCopier::CopyOneFile(const File& record) {
  constexpr int kAttempts = 8;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    lastTarget = UnwrittenTarget(record);
    if (!EnsureFolders(lastTarget)) return false;
    uint32_t error = 0;
    std::unique_ptr<TargetFile> file = files_.Create(lastTarget, error);
    if (file) {
      written_.insert(NameKey(lastTarget));
      return WriteData(record, *file);
    }
    lastError = error;
    if (error != kErrorFileExists) return false;
    refused_.insert(NameKey(lastTarget));
  }
  return false;
}

void FileCopier::StampFolders() {
  for (const auto& made : made_) {
    const auto folder = folders_.find(made.first);
    if (folder == folders_.end()) continue;  // a folder of the destination itself
    const File& record = *folder->second;
    const TargetTimes times = {record.created, record.modified, record.accessed};
    uint32_t error = 0;
    if (times.any() && !files_.SetFolderTimes(made.second, times, error))
      TraceMessage("Cannot set the times of %s, error %u", NarrowText(made.second), error);
  }
}

// The runs are walked here rather than through nextSector, whose 0 means
// both "from the start" and "no more": a file whose data begins at sector 0
// would come out empty.
bool FileCopier::WriteData(const File& record, TargetFile& file) {
  uint64_t remaining = record.size;
  for (const SectorRun& run : record.runs) {
    const uint64_t end = static_cast<uint64_t>(run.first) + run.count;
    for (uint64_t sector = run.first; sector < end && remaining != 0; ++sector) {
      PumpPendingMessages();
      if (!CopySector(sector, remaining, file)) return false;
    }
  }
  // A copy with the time of the copy is still the photo: a refusal is traced.
  uint32_t error = 0;
  const TargetTimes times = {record.created, record.modified, record.accessed};
  if (times.any() && !file.SetTimes(times, error))
    TraceMessage("Cannot set the times of %s, error %u", NarrowText(lastTarget), error);
  // Closing can report a write that failed late: the file is then as bad.
  if (!file.Close(error)) {
    lastError = error;
    files_.Delete(lastTarget, error);
    return false;
  }
  return true;
}

// One sector of the source, cut to what is left of the size. A sector past
// the 32-bit range of the source is unreadable like any other.
bool FileCopier::CopySector(uint64_t sector, uint64_t& remaining, TargetFile& file) {
  uint32_t error = 0;
  if (sector > UINT32_MAX || !media_.ReadSectors(static_cast<uint32_t>(sector), 1)) {
    lastError = kErrorUnreadableSector;
    file.Close(error);  // the part copied so far stays
    return false;
  }
  const uint32_t bytes = static_cast<uint32_t>(std::min<uint64_t>(remaining, media_.sectorSize));
  if (!file.Write(media_.buffer, bytes, error)) {
    lastError = error;
    file.Close(error);
    files_.Delete(lastTarget, error);
    return false;
  }
  remaining -= bytes;
  if (written) written(bytes);
  return true;
}

bool FileCopier::CopyFiles(const std::vector<const File*>& records, uint32_t& copied) {
  bool allCopied = true;
  uint64_t done = 0;
  copied = 0;
  for (const File* record : records) {
    PumpPendingMessages();
    const bool success = CopyOneFile(*record);
    if (success) {
      ++copied;
      done += record->size;
    }
    if (progress) progress(*record, lastTarget, success ? 0 : lastError, done);
    if (success) continue;
    allCopied = false;
    if (!continueAfterUnreadable || lastError != kErrorUnreadableSector) break;
  }
  StampFolders();
  return allCopied;
}
