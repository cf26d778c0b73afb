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
#include <map>
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
  // The destination as the targets begin with it.
  const std::u16string& Destination() const { return destination_; }

  // Makes the folders of path that are missing, in order from its root; the
  // last part (the file name) is not made. The path must begin with a root
  // (CopyTarget.h). A plain file where a folder must be fails the call with
  // 183: nothing in the destination is ever deleted.
  bool EnsureFolders(const std::u16string& path);

  // Writes the record's data along its runs, one sector per read, into a
  // file of its own: a name the destination already holds, or that this
  // copier wrote or made a folder of, is numbered ("NAME (2).EXT"); so is a
  // folder whose name a plain file holds (with replaceBlockingFiles, else
  // the call fails with 183). Nothing that was there before is overwritten,
  // so a second copy of a card into one folder keeps both. A chain shorter
  // than the size ends the file early and counts as a success. The copy
  // takes the record's times. A failed read keeps the partial file; a failed
  // write deletes it, and only it.
  bool CopyOneFile(const File& record);

  // Gives the folders this copier made the times of their records, once
  // their files are written (a file written into a folder later would change
  // them again). CopyFiles calls it; a caller of CopyOneFile calls it after
  // the last file.
  void StampFolders();

  // CopyOneFile for each record in order, calling progress after each; stops
  // at the first failure, or with continueAfterUnreadable goes on past files
  // that failed on an unreadable sector. Then StampFolders. False when any
  // file failed.
  bool CopyFiles(const std::vector<const File*>& records, uint32_t& copied);

  // A plain file where a folder of the card must go: the folder takes a free
  // name beside it; when false, that copy fails.
  bool replaceBlockingFiles = true;
  // After each sector written: the bytes it added.
  std::function<void(uint32_t bytes)> written;
  bool continueAfterUnreadable = false;
  Progress progress;
  uint32_t lastError = 0;
  // The target of the last CopyOneFile, numbered name included.
  std::u16string lastTarget;

 private:
  static std::vector<const File*> PathRecords(const File& record);
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
  std::set<std::u16string> refused_;  // NameKey of names the file system refused as existing
  std::map<std::u16string, const File*> folders_;  // NameKey of every folder the targets went into: its record
  std::map<std::u16string, std::u16string> made_;  // NameKey of every folder this copier made: its path
};
