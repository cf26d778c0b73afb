// The platform's drive letters and device names, for the enumeration of step
// 1: GetDriveTypeA, GetVolumeInformationA, QueryDosDeviceA and the volume's
// disk extents on Windows (DriveSet_win32.cpp); natively there are none
// (DriveSet_portable.cpp), as the tool opens block devices by path.
//
// Error convention: true on success; false on failure, with the out-parameters
// left as they were. Every text is bounded by the buffer it was read into.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// GetDriveTypeA's answers.
constexpr uint32_t kDriveUnknown = 0;
constexpr uint32_t kDriveNoRootDir = 1;
constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveFixed = 3;
constexpr uint32_t kDriveRemote = 4;
constexpr uint32_t kDriveCdRom = 5;
constexpr uint32_t kDriveRamDisk = 6;

class DriveSet {
 public:
  virtual ~DriveSet() = default;

  // letter 'A'..'Z' everywhere. The type of the root "X:\", kDrive...
  virtual uint32_t DriveType(char letter) = 0;
  // Never shows the "insert a disk" dialog for an empty drive.
  virtual bool VolumeInformation(char letter, std::string& volumeName, std::string& fileSystem) = 0;
  // What "X:" stands for: "\Device\HarddiskVolume3", "\Device\Harddisk1\DR1", ...
  virtual bool DriveTargets(char letter, std::vector<std::string>& targets) = 0;
  // The numbers of the disks that hold the volume of the letter.
  virtual bool DiskNumbersOfVolume(char letter, std::vector<uint32_t>& disks) = 0;
  // Every device name the platform knows ("PhysicalDrive0", "C:", ...).
  virtual bool DeviceNames(std::vector<std::string>& names) = 0;
};

DriveSet& PlatformDriveSet();

// How one attempt at reading a text list went.
enum class TextListRead { kRead, kTooSmall, kFailed };

// A list of NUL-ended texts that an empty text (a second NUL) or the end of
// the stored characters ends, as QueryDosDeviceA writes it. read fills buffer
// (size characters) and sets stored; it is asked again with twice the size
// while it answers kTooSmall, up to largestSize. A stored count beyond the
// buffer fails the read.
using TextListReader = std::function<TextListRead(char* buffer, uint32_t size, uint32_t& stored)>;
bool ReadTextList(const TextListReader& read, uint32_t firstSize, uint32_t largestSize,
                  std::vector<std::string>& texts);
