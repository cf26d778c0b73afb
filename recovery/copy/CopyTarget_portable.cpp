// Target folders and files through POSIX calls, with UTF-8 paths.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "CopyTarget.h"
#include "FileTime.h"
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

// A stamp in the medium's local time as the system's time; UTIME_OMIT keeps
// what the file has where the medium recorded nothing.
timespec SystemTime(uint64_t localFileTime) {
  timespec omitted = {0, UTIME_OMIT};
  CalendarTime calendar;
  if (localFileTime == 0 || !FileTimeToCalendar(localFileTime, calendar)) return omitted;
  std::tm local = {};
  local.tm_year = calendar.year - 1900;
  local.tm_mon = calendar.month - 1;
  local.tm_mday = calendar.day;
  local.tm_hour = calendar.hour;
  local.tm_min = calendar.minute;
  local.tm_sec = calendar.second;
  local.tm_isdst = -1;  // whether summer time applied on that date is mktime's to find
  const std::time_t seconds = std::mktime(&local);
  if (seconds == static_cast<std::time_t>(-1)) return omitted;
  return timespec{seconds, static_cast<long>(calendar.millisecond) * 1000000};
}

void SystemTimes(const TargetTimes& times, timespec (&accessAndModify)[2]) {
  accessAndModify[0] = SystemTime(times.accessed);
  accessAndModify[1] = SystemTime(times.modified);
}

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

  bool SetTimes(const TargetTimes& times, uint32_t& error) override {
    timespec stamps[2];
    SystemTimes(times, stamps);
    if (futimens(fd_, stamps) == 0) return true;
    error = TargetError(errno);
    return false;
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

  // O_EXCL also refuses a symbolic link of that name: a link in the
  // destination is never written through, it could lead anywhere.
  std::unique_ptr<TargetFile> Create(const std::u16string& path, uint32_t& error) override {
    int fd = open(Utf8(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
      error = TargetError(errno);
      return nullptr;
    }
    return std::make_unique<PosixTargetFile>(fd);
  }

  bool SetFolderTimes(const std::u16string& path, const TargetTimes& times, uint32_t& error) override {
    timespec stamps[2];
    SystemTimes(times, stamps);
    if (utimensat(AT_FDCWD, Utf8(path).c_str(), stamps, AT_SYMLINK_NOFOLLOW) == 0) return true;
    error = TargetError(errno);
    return false;
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
