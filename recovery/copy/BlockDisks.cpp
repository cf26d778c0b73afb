#include "BlockDisks.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

// Stacks of devices are shallow; the bound only guards against a loop.
constexpr int kDeepestStack = 16;

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

std::string Resolved(const std::string& path) {
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string text = resolved;
  std::free(resolved);
  return text;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

void AddDisks(const std::string& deviceFolder, int depth, std::set<std::string>& disks) {
  if (deviceFolder.empty() || depth > kDeepestStack) return;
  std::string disk = deviceFolder;
  if (Exists(disk + "/partition")) disk = disk.substr(0, disk.find_last_of('/'));
  disks.insert(disk);
  for (const std::string& slave : Entries(disk + "/slaves"))
    AddDisks(Resolved(disk + "/slaves/" + slave), depth + 1, disks);
}

}  // namespace

std::set<std::string> DisksOf(const std::string& sysfsRoot, unsigned major, unsigned minor) {
  std::set<std::string> disks;
  std::string link = sysfsRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
  AddDisks(Resolved(link), 0, disks);
  return disks;
}

std::string MountSourceOf(const std::string& mountInfo, unsigned major, unsigned minor) {
  const std::string number = std::to_string(major) + ":" + std::to_string(minor);
  std::istringstream lines(mountInfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, field;
    if (!(fields >> id >> parent >> device) || device != number) continue;
    while (fields >> field && field != "-") {
    }
    std::string type, source;
    if (fields >> type >> source && source.compare(0, 5, "/dev/") == 0) return source;
  }
  return std::string();
}
