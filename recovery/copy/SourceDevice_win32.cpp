// On Windows the folder is on the source when its volume is the source drive,
// or when the volume's disk extents lie on a disk the source drive or device
// lies on.
#include <windows.h>
#include <winioctl.h>

#include <set>
#include <vector>

#include "SourceDevice.h"

namespace {

// A volume spanning more disks than this is not the card of a card reader.
constexpr DWORD kMostExtents = 32;
constexpr DWORD kVolumeNameLength = 64;

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], length);
  return out;
}

// No access rights: the queries below need none, and nothing is read.
HANDLE OpenForQuery(const std::wstring& path) {
  return CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::set<DWORD> VolumeDisks(const std::wstring& volume) {
  std::set<DWORD> disks;
  HANDLE handle = OpenForQuery(volume);
  if (handle == INVALID_HANDLE_VALUE) return disks;
  std::vector<uint8_t> reply(sizeof(VOLUME_DISK_EXTENTS) + kMostExtents * sizeof(DISK_EXTENT), 0);
  DWORD returned = 0;
  if (DeviceIoControl(handle, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, reply.data(),
                      static_cast<DWORD>(reply.size()), &returned, nullptr)) {
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(reply.data());
    const std::size_t first = offsetof(VOLUME_DISK_EXTENTS, Extents);
    const std::size_t fit = returned > first ? (returned - first) / sizeof(DISK_EXTENT) : 0;
    for (std::size_t i = 0; i < extents->NumberOfDiskExtents && i < fit; ++i)
      disks.insert(extents->Extents[i].DiskNumber);
  }
  CloseHandle(handle);
  return disks;
}

std::set<DWORD> DeviceDisk(const std::wstring& device) {
  std::set<DWORD> disks;
  HANDLE handle = OpenForQuery(device);
  if (handle == INVALID_HANDLE_VALUE) return disks;
  STORAGE_DEVICE_NUMBER number{};
  DWORD returned = 0;
  if (DeviceIoControl(handle, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number, sizeof number, &returned,
                      nullptr) &&
      number.DeviceType == FILE_DEVICE_DISK)
    disks.insert(number.DeviceNumber);
  CloseHandle(handle);
  return disks;
}

// "\\?\Volume{...}\" of the volume that holds path; empty when unknown.
std::wstring VolumeOf(const std::wstring& path) {
  wchar_t mount[MAX_PATH + 1] = {};
  wchar_t name[kVolumeNameLength] = {};
  if (!GetVolumePathNameW(path.c_str(), mount, MAX_PATH) ||
      !GetVolumeNameForVolumeMountPointW(mount, name, kVolumeNameLength))
    return std::wstring();
  return name;
}

std::wstring NearestExisting(const std::wstring& folder) {
  wchar_t full[MAX_PATH + 1] = {};
  DWORD length = GetFullPathNameW(folder.c_str(), MAX_PATH, full, nullptr);
  if (length == 0 || length > MAX_PATH) return std::wstring();
  std::wstring path = full;
  while (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return std::wstring();
    path.erase(separator);
  }
  return path;
}

bool IsDriveName(const std::string& name) {
  return name.size() == 2 && name[1] == ':' &&
         ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

}  // namespace

bool FolderOnSourceDevice(const std::string& folder, const std::string& sourcePath) {
  static const std::string kDevicePrefix = "\\\\.\\";
  if (sourcePath.compare(0, kDevicePrefix.size(), kDevicePrefix) != 0) return false;
  const std::wstring target = NearestExisting(Widen(folder));
  const std::wstring targetVolume = target.empty() ? std::wstring() : VolumeOf(target);
  if (targetVolume.empty()) return false;

  const std::string name = sourcePath.substr(kDevicePrefix.size());
  const std::wstring device = Widen(sourcePath);
  std::set<DWORD> sourceDisks;
  if (IsDriveName(name)) {
    if (VolumeOf(Widen(name + "\\")) == targetVolume) return true;
    sourceDisks = VolumeDisks(device);
  } else {
    sourceDisks = DeviceDisk(device);
  }
  // The volume's device path is its name without the trailing separator.
  for (DWORD disk : VolumeDisks(targetVolume.substr(0, targetVolume.size() - 1)))
    if (sourceDisks.count(disk) != 0) return true;
  return false;
}
