// Target folders and files through POSIX calls, with UTF-8 paths.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "CopyTarget.h"
#include "PosixDeviceInfo.h"
#include "System.h"

const char16_t kTargetSeparator = u'/';

namespace {

constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorDiskFull = 112;

uint32_t TargetError(int errnoValue) {
  switch (errnoValue) {
    case EEXIST: return kErrorFileExists;
    case EDQUOT:
    case EFBIG: return kErrorDiskFull;
    // A link where a file is to be written: never followed (see Create).
    case ELOOP: return 5;
    default: return WindowsErrorFromErrno(errnoValue);
  }
}

std::string Utf8(const std::u16string& path) { return NarrowText(path); }

class PosixTargetFile : public TargetFile {
 public:
  explicit PosixTargetFile(int fd) : fd_(fd) {}
  ~PosixTargetFile() override {
    if (fd_ >= 0) close(fd_);
  }

  bool Write(const uint8_t* data, uint32_t bytes, uint32_t& error) override {
    uint32_t done = 0;
    while (done < bytes) {
      ssize_t n = write(fd_, data + done, bytes - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        error = n < 0 ? TargetError(errno) : kErrorDiskFull;
        return false;
      }
      done += static_cast<uint32_t>(n);
    }
    return true;
  }

  bool Close(uint32_t& error) override {
    int fd = fd_;
    fd_ = -1;
    // close reports a write that failed late (a full network share).
    if (close(fd) != 0) {
      error = TargetError(errno);
      return false;
    }
    return true;
  }

 private:
  int fd_;
};

class PosixTargetFileSystem : public TargetFileSystem {
 public:
  EntryKind Find(const std::u16string& path) override {
    struct stat info;
    if (stat(Utf8(path).c_str(), &info) != 0) return EntryKind::kNothing;
    return S_ISDIR(info.st_mode) ? EntryKind::kFolder : EntryKind::kFile;
  }

  bool MakeFolder(const std::u16string& path, uint32_t& error) override {
    if (mkdir(Utf8(path).c_str(), 0777) == 0) return true;
    error = TargetError(errno);
    return false;
  }

  bool Delete(const std::u16string& path, uint32_t& error) override {
    if (unlink(Utf8(path).c_str()) == 0) return true;
    error = TargetError(errno);
    return false;
  }

  // A symbolic link in the destination is not written through: it could
  // lead anywhere.
  std::unique_ptr<TargetFile> Create(const std::u16string& path, Creation creation, uint32_t& error) override {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | (creation == Creation::kNew ? O_EXCL : O_TRUNC);
    int fd = open(Utf8(path).c_str(), flags, 0666);
    if (fd < 0) {
      error = TargetError(errno);
      return nullptr;
    }
    return std::make_unique<PosixTargetFile>(fd);
  }
};

// The length of a valid UTF-8 sequence at text[i], 0 when there is none.
std::size_t Utf8Sequence(const std::string& text, std::size_t i, char32_t& c) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = byte(i);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  c = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(i + k) & 0x3F);
  }
  static const char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

bool IsTargetSeparator(char16_t c) { return c == u'/'; }

std::size_t TargetRootLength(const std::u16string& path) { return !path.empty() && path[0] == u'/' ? 1 : 0; }

std::u16string TargetText(const std::string& text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    std::size_t length = Utf8Sequence(text, i, c);
    if (length == 0) {
      out += static_cast<char16_t>(static_cast<unsigned char>(text[i]));
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += length;
  }
  return out;
}

TargetFileSystem& PlatformTargetFileSystem() {
  static PosixTargetFileSystem fileSystem;
  return fileSystem;
}
