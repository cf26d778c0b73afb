// Drive letters and device names through GetDriveTypeA, GetVolumeInformationA,
// QueryDosDeviceA and IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS.
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>

#include "DriveSet.h"

namespace {

// A letter's targets are a line or two; the whole name list of a machine with
// many devices runs to tens of kilobytes.
constexpr uint32_t kFirstTargetsSize = 1024;
constexpr uint32_t kLargestTargetsSize = 65536;
constexpr uint32_t kFirstDeviceNamesSize = 16384;
constexpr uint32_t kLargestDeviceNamesSize = 4u << 20;
constexpr DWORD kTextSize = MAX_PATH + 1;
// More disks under one volume than the enumeration's disk mask tells apart.
constexpr std::size_t kLargestExtentCount = 32;

std::string Root(char letter) { return std::string(1, letter) + ":\\"; }

// The text in buffer, whatever the platform left at its end.
std::string EndedText(char* buffer, std::size_t size) {
  buffer[size - 1] = '\0';
  return std::string(buffer);
}

TextListRead QueryDosDeviceInto(const char* name, char* buffer, uint32_t size, uint32_t& stored) {
  DWORD count = QueryDosDeviceA(name, buffer, size);
  if (count == 0) {
    DWORD error = GetLastError();
    return error == ERROR_INSUFFICIENT_BUFFER || error == ERROR_MORE_DATA ? TextListRead::kTooSmall
                                                                          : TextListRead::kFailed;
  }
  stored = count;
  return TextListRead::kRead;
}

class Win32DriveSet : public DriveSet {
 public:
  uint32_t DriveType(char letter) override { return GetDriveTypeA(Root(letter).c_str()); }

  bool VolumeInformation(char letter, std::string& volumeName, std::string& fileSystem) override {
    char volume[kTextSize] = {};
    char system[kTextSize] = {};
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    BOOL answered =
        GetVolumeInformationA(Root(letter).c_str(), volume, kTextSize, nullptr, nullptr, nullptr, system, kTextSize);
    SetErrorMode(previousMode);
    if (!answered) return false;
    volumeName = EndedText(volume, sizeof volume);
    fileSystem = EndedText(system, sizeof system);
    return true;
  }

  bool DriveTargets(char letter, std::vector<std::string>& targets) override {
    std::string name = std::string(1, letter) + ":";
    auto read = [&name](char* buffer, uint32_t size, uint32_t& stored) {
      return QueryDosDeviceInto(name.c_str(), buffer, size, stored);
    };
    return ReadTextList(read, kFirstTargetsSize, kLargestTargetsSize, targets);
  }

  bool DiskNumbersOfVolume(char letter, std::vector<uint32_t>& disks) override {
    std::string path = "\\\\.\\" + std::string(1, letter) + ":";
    // No access rights: the query needs none, and the medium is not touched.
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE volume =
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (volume == INVALID_HANDLE_VALUE) {
      SetErrorMode(previousMode);
      return false;
    }
    const std::size_t first = offsetof(VOLUME_DISK_EXTENTS, Extents);
    std::vector<uint8_t> reply(first + kLargestExtentCount * sizeof(DISK_EXTENT), 0);
    DWORD returned = 0;
    BOOL answered = DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, reply.data(),
                                    static_cast<DWORD>(reply.size()), &returned, nullptr);
    CloseHandle(volume);
    SetErrorMode(previousMode);
    if (!answered || returned < first || returned > reply.size()) return false;
    // The count is the driver's word; only extents inside the reply are read.
    DWORD count = 0;
    std::memcpy(&count, reply.data(), sizeof count);
    std::size_t fits = (returned - first) / sizeof(DISK_EXTENT);
    if (count > fits) count = static_cast<DWORD>(fits);
    std::vector<uint32_t> numbers;
    for (DWORD i = 0; i < count; ++i) {
      DISK_EXTENT extent;
      std::memcpy(&extent, reply.data() + first + i * sizeof(DISK_EXTENT), sizeof extent);
      numbers.push_back(extent.DiskNumber);
    }
    disks = numbers;
    return true;
  }

  bool DeviceNames(std::vector<std::string>& names) override {
    return ReadTextList(
        [](char* buffer, uint32_t size, uint32_t& stored) { return QueryDosDeviceInto(nullptr, buffer, size, stored); },
        kFirstDeviceNamesSize, kLargestDeviceNamesSize, names);
  }
};

}  // namespace

DriveSet& PlatformDriveSet() {
  static Win32DriveSet drives;
  return drives;
}
