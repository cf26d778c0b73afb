// The device layer: the one place where the program touches a storage device
// or an image file. Media reads through it; the platform implementations
// (PlatformDevice_win32.cpp, PlatformDevice_portable.cpp), the in-memory
// device of tests and benchmarks (MemoryDevice.h) and the read-ahead
// decorator (ReadAheadDevice.h) sit behind it.
//
// Error convention, for every operation here: true on success; false on
// failure with `error` set to the Windows error code of the failure (2 not
// found, 5 access denied, 21 not ready, 23 data error, ...), on every
// platform. Out-parameters are left as they were on failure.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Windows error codes that the sector source tells apart.
constexpr uint32_t kErrorInvalidFunction = 1;  // the query is not supported
constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorInvalidHandle = 6;
constexpr uint32_t kErrorNotReady = 21;  // no medium in the drive
constexpr uint32_t kErrorCrc = 23;       // an unreadable sector
constexpr uint32_t kErrorSeek = 25;      // fewer bytes than asked for
constexpr uint32_t kErrorNotSupported = 50;  // the query is not supported either
constexpr uint32_t kErrorInvalidParameter = 87;

// The drive's geometry, as the platform's DISK_GEOMETRY gives it.
struct DiskGeometry {
  int64_t cylinders = 0;
  uint32_t mediaType = 0;  // 11 removable, 12 fixed
  uint32_t tracksPerCylinder = 0;
  uint32_t sectorsPerTrack = 0;
  uint32_t bytesPerSector = 0;
};

// One entry of the drive's partition table, in table order; offsets and
// lengths in bytes, as the platform's PARTITION_INFORMATION gives them.
struct PartitionEntry {
  int64_t startingOffset = 0;
  int64_t length = 0;
  uint8_t type = 0;
  bool bootIndicator = false;
};

// The texts of the platform's STORAGE_DEVICE_DESCRIPTOR. A text the device
// does not give is empty; serialNumber is only meaningful with hasSerialNumber.
struct StorageDescriptor {
  std::string vendorId;
  std::string productId;
  std::string serialNumber;
  bool hasSerialNumber = false;
  uint32_t busType = 0;  // STORAGE_BUS_TYPE: 7 USB, 4 FireWire, ...
};

// An open device or file. Closing is destruction.
class Device {
 public:
  virtual ~Device() = default;

  virtual bool QueryGeometry(DiskGeometry& geometry, uint32_t& error) = 0;
  virtual bool QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) = 0;
  virtual bool QueryStorage(StorageDescriptor& descriptor, uint32_t& error) = 0;

  // Sets the byte offset of the next Read, from the beginning.
  virtual bool Seek(uint64_t offset, uint32_t& error) = 0;
  // Reads up to bytes at the current offset and moves past them. Success
  // with delivered < bytes means the data ended (end of file).
  virtual bool Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) = 0;
  virtual bool FileSize(uint64_t& size, uint32_t& error) = 0;
};

enum class DeviceAccess { kReadWrite, kReadOnly };

// Opens devices by path. The process error mode lives here too, since it is
// part of how the platform opens devices (critical-error dialogs).
class DeviceOpener {
 public:
  virtual ~DeviceOpener() = default;

  // Null with error set when the path cannot be opened with that access.
  virtual std::unique_ptr<Device> Open(const std::string& path, DeviceAccess access, uint32_t& error) = 0;
  // Sets the process error mode; returns the previous one.
  virtual uint32_t SetErrorMode(uint32_t mode) = 0;
};

// The geometry a platform reports for a device that gives none of its own:
// 255 heads of 63 sectors, as many whole cylinders as the size holds.
DiskGeometry SynthesisedGeometry(uint64_t deviceBytes, uint32_t bytesPerSector, uint32_t mediaType);

// SEM_FAILCRITICALERRORS: no "insert a disk" dialog for an empty drive.
constexpr uint32_t kFailCriticalErrors = 1;
