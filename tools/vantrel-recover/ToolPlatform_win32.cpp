#include <io.h>
#include <windows.h>

#include <cctype>

#include "Context.h"
#include "Media.h"
#include "ToolPlatform.h"

namespace {

bool IsDriveName(const std::string& text) {
  return text.size() == 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0])) != 0;
}

bool IsPhysicalDriveName(const std::string& text) {
  static const char kName[] = "PhysicalDrive";
  const std::size_t length = sizeof kName - 1;
  if (text.size() <= length || _strnicmp(text.c_str(), kName, length) != 0) return false;
  for (std::size_t i = length; i < text.size(); ++i)
    if (std::isdigit(static_cast<unsigned char>(text[i])) == 0) return false;
  return true;
}

}  // namespace

bool OpenSource(Media& media, const std::string& source, std::string& devicePath) {
  static const std::string kDevicePrefix = "\\\\.\\";
  std::string name =
      source.compare(0, kDevicePrefix.size(), kDevicePrefix) == 0 ? source.substr(kDevicePrefix.size()) : std::string();
  if (IsDriveName(source) || IsDriveName(name)) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>((name.empty() ? source : name)[0])));
    devicePath = kDevicePrefix + letter + ":";
    return media.OpenDrive(letter);
  }
  if (name.empty() && IsPhysicalDriveName(source)) name = source;
  if (!name.empty()) {
    devicePath = kDevicePrefix + name;
    return media.OpenDevice(name, true);
  }
  devicePath.clear();
  return media.OpenImage(source);
}

std::string ProgramFolder() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text = path;
  return text.substr(0, text.find_last_of("\\/") + 1);
}

std::string AbsolutePath(const std::string& path) {
  char full[MAX_PATH + 1] = {};
  DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length <= MAX_PATH ? std::string(full) : path;
}

bool LoadLanguageTexts() {
  TheContext().LanguageModule = LoadLibraryA((ProgramFolder() + "1033.DLL").c_str());
  return TheContext().LanguageModule != nullptr;
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }
