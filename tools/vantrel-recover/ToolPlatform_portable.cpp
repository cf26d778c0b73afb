#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "Media.h"
#include "ToolPlatform.h"

bool OpenSource(Media& media, const std::string& source, std::string& devicePath) {
  struct stat info;
  if (stat(source.c_str(), &info) == 0 && S_ISBLK(info.st_mode)) {
    // /dev/disk/by-id/... names are links, and longer than a device name may be.
    char* resolved = realpath(source.c_str(), nullptr);
    std::string device = resolved != nullptr ? resolved : source;
    std::free(resolved);
    devicePath = "\\\\.\\" + device;
    return media.OpenDevice(device, true);
  }
  devicePath.clear();
  return media.OpenImage(source);
}

std::string ProgramFolder() {
  char path[PATH_MAX + 1] = {};
  ssize_t length = readlink("/proc/self/exe", path, PATH_MAX);
  std::string text(path, length > 0 ? static_cast<std::size_t>(length) : 0);
  return text.substr(0, text.find_last_of('/') + 1);
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char folder[PATH_MAX + 1] = {};
  if (getcwd(folder, PATH_MAX) == nullptr) return path;
  return std::string(folder) + "/" + path;
}

bool LoadLanguageTexts() { return true; }  // compiled in

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }
