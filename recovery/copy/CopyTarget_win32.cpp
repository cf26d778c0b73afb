// Target folders and files through the wide API, so that a long name the
// ANSI code page cannot hold is created as the medium holds it.
#include <windows.h>

#include "CopyTarget.h"

const char16_t kTargetSeparator = u'\\';

namespace {

constexpr uint32_t kErrorDiskFull = 112;

const wchar_t* Wide(const std::u16string& path) { return reinterpret_cast<const wchar_t*>(path.c_str()); }

// A stamp in the medium's local time as UTC, by the time-zone rules of its
// own date (a summer photo keeps its hour in winter); false where the medium
// recorded none.
bool UtcFileTime(uint64_t localFileTime, FILETIME& utc) {
  if (localFileTime == 0) return false;
  FILETIME local = {static_cast<DWORD>(localFileTime), static_cast<DWORD>(localFileTime >> 32)};
  SYSTEMTIME localTime, utcTime;
  return FileTimeToSystemTime(&local, &localTime) && TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime) &&
         SystemTimeToFileTime(&utcTime, &utc);
}

bool SetHandleTimes(HANDLE handle, const TargetTimes& times, uint32_t& error) {
  FILETIME created, accessed, modified;
  const bool hasCreated = UtcFileTime(times.created, created);
  const bool hasAccessed = UtcFileTime(times.accessed, accessed);
  const bool hasModified = UtcFileTime(times.modified, modified);
  if (SetFileTime(handle, hasCreated ? &created : nullptr, hasAccessed ? &accessed : nullptr,
                  hasModified ? &modified : nullptr))
    return true;
  error = GetLastError();
  return false;
}

class Win32TargetFile : public TargetFile {
 public:
  explicit Win32TargetFile(HANDLE handle) : handle_(handle) {}
  ~Win32TargetFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }

  bool Write(const uint8_t* data, uint32_t bytes, uint32_t& error) override {
    DWORD written = 0;
    if (!WriteFile(handle_, data, bytes, &written, nullptr)) {
      error = GetLastError();
      return false;
    }
    if (written != bytes) {
      error = kErrorDiskFull;
      return false;
    }
    return true;
  }

  bool SetTimes(const TargetTimes& times, uint32_t& error) override { return SetHandleTimes(handle_, times, error); }

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

class Win32TargetFileSystem : public TargetFileSystem {
 public:
  EntryKind Find(const std::u16string& path) override {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(path), &found);
    if (search == INVALID_HANDLE_VALUE) return EntryKind::kNothing;
    FindClose(search);
    return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::kFolder : EntryKind::kFile;
  }

  bool MakeFolder(const std::u16string& path, uint32_t& error) override {
    if (CreateDirectoryW(Wide(path), nullptr)) return true;
    error = GetLastError();
    return false;
  }

  bool Delete(const std::u16string& path, uint32_t& error) override {
    if (DeleteFileW(Wide(path))) return true;
    error = GetLastError();
    return false;
  }

  std::unique_ptr<TargetFile> Create(const std::u16string& path, uint32_t& error) override {
    HANDLE handle = CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32TargetFile>(handle);
  }

  // A folder opens only with backup semantics; only its attributes are
  // written.
  bool SetFolderTimes(const std::u16string& path, const TargetTimes& times, uint32_t& error) override {
    HANDLE folder = CreateFileW(Wide(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return false;
    }
    const bool set = SetHandleTimes(folder, times, error);
    CloseHandle(folder);
    return set;
  }
};

// "\\server\share": the two leading separators, the server, one separator
// and the share; 0 when a part is missing.
std::size_t ShareRootLength(const std::u16string& path) {
  if (path.size() < 2 || !IsTargetSeparator(path[0]) || !IsTargetSeparator(path[1])) return 0;
  std::size_t server = path.find_first_of(u"\\/", 2);
  if (server == std::u16string::npos || server == 2) return 0;
  std::size_t share = path.find_first_of(u"\\/", server + 1);
  if (share == server + 1) return 0;
  return share == std::u16string::npos ? path.size() : share;
}

}  // namespace

bool IsTargetSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::size_t TargetRootLength(const std::u16string& path) {
  const bool letter =
      path.size() >= 2 && ((path[0] >= u'A' && path[0] <= u'Z') || (path[0] >= u'a' && path[0] <= u'z'));
  if (letter && path[1] == u':') return 2;
  return ShareRootLength(path);
}

std::u16string TargetText(const std::string& text) {
  if (text.empty()) return std::u16string();
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string out(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), reinterpret_cast<wchar_t*>(&out[0]),
                      length);
  return out;
}

TargetFileSystem& PlatformTargetFileSystem() {
  static Win32TargetFileSystem fileSystem;
  return fileSystem;
}
