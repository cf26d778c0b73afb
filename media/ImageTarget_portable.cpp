// Image files through POSIX calls, with UTF-8 paths.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "ImageTarget.h"
#include "PosixDeviceInfo.h"
#include "System.h"

namespace {

constexpr uint32_t kErrorDiskFull = 112;
constexpr uint32_t kErrorFileTooLarge = 223;

uint32_t TargetError(int errnoValue) {
  switch (errnoValue) {
    case EDQUOT: return kErrorDiskFull;
    case EFBIG: return kErrorFileTooLarge;  // the 4 GiB of a FAT32 volume
    default: return WindowsErrorFromErrno(errnoValue);
  }
}

class PosixImageFile : public ImageFile {
 public:
  explicit PosixImageFile(int fd) : fd_(fd) {}
  ~PosixImageFile() override {
    if (fd_ >= 0) close(fd_);
  }

  bool Write(const uint8_t* data, uint32_t bytes, uint32_t& written, uint32_t& error) override {
    written = 0;
    while (written < bytes) {
      ssize_t n = write(fd_, data + written, bytes - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? TargetError(errno) : kErrorDiskFull;
        return false;
      }
      written += static_cast<uint32_t>(n) <= bytes - written ? static_cast<uint32_t>(n) : bytes - written;
    }
    return true;
  }

  bool Close(uint32_t& error) override {
    int fd = fd_;
    fd_ = -1;
    if (close(fd) != 0) {
      error = TargetError(errno);
      return false;
    }
    return true;
  }

 private:
  int fd_;
};

class PosixImageTarget : public ImageTarget {
 public:
  std::unique_ptr<ImageFile> Create(const std::u16string& path, uint32_t& error) override {
    int fd = open(NarrowText(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      error = TargetError(errno);
      return nullptr;
    }
    return std::make_unique<PosixImageFile>(fd);
  }

  bool Delete(const std::u16string& path, uint32_t& error) override {
    if (unlink(NarrowText(path).c_str()) == 0) return true;
    error = TargetError(errno);
    return false;
  }
};

}  // namespace

ImageTarget& PlatformImageTarget() {
  static PosixImageTarget target;
  return target;
}
