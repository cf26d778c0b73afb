// Copies found files out of the sector source into a destination folder,
// recreating their folders there: what the copy step and vantrel-recover
// both run.
//
// Error convention: operations return true on success; on failure lastError
// holds the Windows error code (23 for a sector of the source that could not
// be read; for the others the platform's code of the failed step).
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "CopyTarget.h"

class File;
class Media;

class FileCopier {
 public:
  static constexpr uint32_t kErrorUnreadableSector = 23;
  static constexpr uint32_t kErrorFileExists = 80;
  static constexpr uint32_t kErrorInvalidName = 123;
  static constexpr uint32_t kErrorAlreadyExists = 183;

  // After each file: where it went and 0, or the error it failed with; done
  // is the sum of the sizes copied so far.
  using Progress = std::function<void(const File& record, const std::u16string& target, uint32_t error, uint64_t done)>;

  // destination: the folder in the platform's 8-bit texts, with or without a
  // trailing separator.
  FileCopier(Media& media, const std::string& destination, TargetFileSystem& files = PlatformTargetFileSystem());

  // The destination without one trailing separator, then the record's path
  // below the root, each part made safe (TargetName.h).
  std::u16string TargetPath(const File& record) const;

  // Makes the folders of path that are missing, in order from its root; the
  // last part (the file name) is not made. The path must begin with a root
  // (CopyTarget.h). A plain file where a folder must be is deleted with
  // replaceBlockingFiles, else the call fails with 183.
  bool EnsureFolders(const std::u16string& path);

  // Writes the record's data along its runs, one sector per read; a chain
  // shorter than the size ends the file early and counts as a success. A
  // failed read keeps the partial file; a failed write deletes it. A target
  // this copier already wrote, or made a folder of, gets a numbered name
  // ("NAME (2).EXT"), and so does a folder where it wrote a file; a file left
  // by anything else is overwritten.
  bool CopyOneFile(const File& record);

  // CopyOneFile for each record in order, calling progress after each; stops
  // at the first failure, or with continueAfterUnreadable goes on past files
  // that failed on an unreadable sector. False when any file failed.
  bool CopyFiles(const std::vector<const File*>& records, uint32_t& copied);

  bool replaceBlockingFiles = true;
  bool continueAfterUnreadable = false;
  Progress progress;
  uint32_t lastError = 0;
  // The target of the last CopyOneFile, numbered name included.
  std::u16string lastTarget;

 private:
  static std::vector<std::u16string> SafeParts(const File& record);
  bool Taken(const std::u16string& path, bool forFile) const;
  std::u16string FreeName(const std::u16string& folder, const std::u16string& name, bool forFile) const;
  std::u16string UnwrittenTarget(const File& record);
  bool WriteData(const File& record, TargetFile& file);
  bool CopySector(uint64_t sector, uint64_t& remaining, TargetFile& file);

  Media& media_;
  std::u16string destination_;
  TargetFileSystem& files_;
  std::set<std::u16string> written_;  // NameKey of every file written
  std::set<std::u16string> folders_;  // NameKey of every folder the targets went into
};
