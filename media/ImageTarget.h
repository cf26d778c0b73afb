// Where a saved image goes: one raw file, replaced if it exists (the save
// dialog has asked). Paths are UTF-16, so that any name the save dialog gives
// reaches the platform whole: ImageTarget_win32.cpp hands them to the wide API
// (CreateFileW, WriteFile, DeleteFileW), ImageTarget_portable.cpp turns them
// into UTF-8 for the POSIX calls. The sector source must not depend on the
// copy's target files (recovery/copy), so this is a seam of its own.
//
// Error convention: true on success; on failure false with error set to the
// Windows error code (112 the disk is full, 223 the file is too large for a
// FAT32 volume, ...), on every platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// An open image file; destruction closes it without a word.
class ImageFile {
 public:
  virtual ~ImageFile() = default;
  // written is what the file took, also when the write fails; a write that
  // stores fewer bytes than given fails (112 when the platform names no
  // error).
  virtual bool Write(const uint8_t* data, uint32_t bytes, uint32_t& written, uint32_t& error) = 0;
  // Reports a write that failed late (a full network share).
  virtual bool Close(uint32_t& error) = 0;
};

class ImageTarget {
 public:
  virtual ~ImageTarget() = default;
  // An empty file of that name (CREATE_ALWAYS), write access, no sharing.
  // Null with error set on failure.
  virtual std::unique_ptr<ImageFile> Create(const std::u16string& path, uint32_t& error) = 0;
  virtual bool Delete(const std::u16string& path, uint32_t& error) = 0;
};

ImageTarget& PlatformImageTarget();
