// Image files through the wide API.
#include <windows.h>

#include "ImageTarget.h"

namespace {

constexpr uint32_t kErrorDiskFull = 112;

const wchar_t* Wide(const std::u16string& path) { return reinterpret_cast<const wchar_t*>(path.c_str()); }

class Win32ImageFile : public ImageFile {
 public:
  explicit Win32ImageFile(HANDLE handle) : handle_(handle) {}
  ~Win32ImageFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  bool Write(const uint8_t* data, uint32_t bytes, uint32_t& written, uint32_t& error) override {
    DWORD stored = 0;
    const BOOL ok = WriteFile(handle_, data, bytes, &stored, nullptr);
    written = stored <= bytes ? stored : bytes;
    if (!ok) {
      error = GetLastError();
      return false;
    }
    if (stored != bytes) {
      error = kErrorDiskFull;
      return false;
    }
    return true;
  }

  bool Close(uint32_t& error) override {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (CloseHandle(handle)) return true;
    error = GetLastError();
    return false;
  }

 private:
  HANDLE handle_;
};

class Win32ImageTarget : public ImageTarget {
 public:
  std::unique_ptr<ImageFile> Create(const std::u16string& path, uint32_t& error) override {
    HANDLE handle = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32ImageFile>(handle);
  }

  bool Delete(const std::u16string& path, uint32_t& error) override {
    if (DeleteFileW(Wide(path))) return true;
    error = GetLastError();
    return false;
  }
};

}  // namespace

ImageTarget& PlatformImageTarget() {
  static Win32ImageTarget target;
  return target;
}
