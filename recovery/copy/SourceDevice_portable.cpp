// Natively the source is a block device: the folder is on it when its file
// system lies on the same whole disk (any partition of it, or a stack of
// devices above it).
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <iterator>

#include "BlockDisks.h"
#include "PosixDeviceInfo.h"
#include "SourceDevice.h"

namespace {

bool NearestExisting(std::string path, struct stat& info) {
  while (stat(path.c_str(), &info) != 0) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return stat(".", &info) == 0;
    path = slash == 0 ? "/" : path.substr(0, slash);
  }
  return true;
}

std::set<std::string> DisksOfDevice(dev_t device) { return DisksOf("/sys", major(device), minor(device)); }

// The device a file system is mounted from: st_dev itself, or for a file
// system that numbers itself the device its mount names.
std::set<std::string> DisksOfFileSystem(dev_t fileSystem) {
  if (major(fileSystem) != 0) return DisksOfDevice(fileSystem);
  std::ifstream in("/proc/self/mountinfo");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string source = MountSourceOf(text, major(fileSystem), minor(fileSystem));
  struct stat info;
  if (source.empty() || stat(source.c_str(), &info) != 0 || !S_ISBLK(info.st_mode)) return {};
  return DisksOfDevice(info.st_rdev);
}

}  // namespace

bool FolderOnSourceDevice(const std::string& folder, const std::string& sourcePath) {
  struct stat source;
  if (stat(NativeDevicePath(sourcePath).c_str(), &source) != 0 || !S_ISBLK(source.st_mode)) return false;
  struct stat target;
  if (!NearestExisting(folder, target)) return false;
  if (target.st_dev == source.st_rdev) return true;
  const std::set<std::string> sourceDisks = DisksOfDevice(source.st_rdev);
  for (const std::string& disk : DisksOfFileSystem(target.st_dev))
    if (sourceDisks.count(disk) != 0) return true;
  return false;
}
