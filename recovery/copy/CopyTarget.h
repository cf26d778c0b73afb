// Where found files are copied to: the folders and files of the destination.
// Paths are UTF-16 here, so that a long name read from the medium reaches the
// platform whole: CopyTarget_win32.cpp hands them to the wide API (CreateFileW,
// CreateDirectoryW, FindFirstFileW), CopyTarget_portable.cpp turns them into
// UTF-8 for the POSIX calls.
//
// Error convention: true on success; on failure false with error set to the
// Windows error code (80 the file exists, 112 the disk is full, ...), on
// every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The separator of target paths: "\" on Windows, "/" natively.
extern const char16_t kTargetSeparator;
bool IsTargetSeparator(char16_t c);

// The length of the root a target path must begin with, 0 when it has none:
// on Windows a drive ("E:") or a server and share ("\\server\share");
// natively the "/" of an absolute path.
std::size_t TargetRootLength(const std::u16string& path);

// A text in the platform's 8-bit code page (ANSI on Windows, UTF-8 natively)
// as a target path; natively a byte that is no UTF-8 is taken as Latin-1.
std::u16string TargetText(const std::string& text);

enum class EntryKind { kNothing, kFile, kFolder };

// The time stamps a copy takes over from its record: 64-bit file times (100 ns
// units since 1601) in the local time the medium keeps, as a camera writes
// them; 0 where the medium recorded none. The platform turns them into its own
// time for that date, summer time included.
struct TargetTimes {
  uint64_t created = 0;
  uint64_t modified = 0;
  uint64_t accessed = 0;
  bool any() const { return created != 0 || modified != 0 || accessed != 0; }
};

// An open target file; destruction closes it without a word.
class TargetFile {
 public:
  virtual ~TargetFile() = default;
  // A write that stores fewer bytes than given fails (112 when the platform
  // names no error).
  virtual bool Write(const uint8_t* data, uint32_t bytes, uint32_t& error) = 0;
  // After the last write: the stamps that are not 0 (natively the creation
  // time is not kept).
  virtual bool SetTimes(const TargetTimes& times, uint32_t& error) = 0;
  virtual bool Close(uint32_t& error) = 0;
};

// The file operations the copy uses; tests put one of their own in between.
class TargetFileSystem {
 public:
  virtual ~TargetFileSystem() = default;
  virtual EntryKind Find(const std::u16string& path) = 0;
  virtual bool MakeFolder(const std::u16string& path, uint32_t& error) = 0;
  virtual bool Delete(const std::u16string& path, uint32_t& error) = 0;
  // A new file (CREATE_NEW), write access, no sharing: an existing entry of
  // that name fails with 80 and is left as it is. Null with error set on
  // failure.
  virtual std::unique_ptr<TargetFile> Create(const std::u16string& path, uint32_t& error) = 0;
  virtual bool SetFolderTimes(const std::u16string& path, const TargetTimes& times, uint32_t& error) = 0;
};

TargetFileSystem& PlatformTargetFileSystem();
