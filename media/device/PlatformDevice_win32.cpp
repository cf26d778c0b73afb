// Devices by "\\.\" name and image files through CreateFileA, DeviceIoControl
// and ReadFile.
#include <windows.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "PlatformDevice.h"

namespace {

// The largest partition-table reply accepted; a bigger table fails the query.
constexpr DWORD kLayoutReplyBytes = 4096;
constexpr DWORD kStorageReplyBytes = 512;

template <typename T>
T ReadAt(const uint8_t* bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes + offset, sizeof value);
  return value;
}

// The NUL-ended text at offset inside the reply; offset 0 means none.
std::string TextAt(const uint8_t* reply, std::size_t size, DWORD offset) {
  if (offset == 0 || offset >= size) return std::string();
  std::size_t end = offset;
  while (end < size && reply[end] != 0) ++end;
  return std::string(reinterpret_cast<const char*>(reply) + offset, end - offset);
}

class Win32Device : public Device {
 public:
  explicit Win32Device(HANDLE handle) : handle_(handle) {}
  ~Win32Device() override { CloseHandle(handle_); }

  bool QueryGeometry(DiskGeometry& geometry, uint32_t& error) override {
    DISK_GEOMETRY reply{};
    DWORD returned = 0;
    if (!DeviceIoControl(handle_, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &reply, sizeof reply, &returned,
                         nullptr)) {
      error = GetLastError();
      return false;
    }
    geometry.cylinders = reply.Cylinders.QuadPart;
    geometry.mediaType = static_cast<uint32_t>(reply.MediaType);
    geometry.tracksPerCylinder = reply.TracksPerCylinder;
    geometry.sectorsPerTrack = reply.SectorsPerTrack;
    geometry.bytesPerSector = reply.BytesPerSector;
    return true;
  }

  bool QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) override {
    std::vector<uint8_t> reply(kLayoutReplyBytes, 0);
    DWORD returned = 0;
    if (!DeviceIoControl(handle_, IOCTL_DISK_GET_DRIVE_LAYOUT, nullptr, 0, reply.data(), kLayoutReplyBytes,
                         &returned, nullptr)) {
      error = GetLastError();
      return false;
    }
    // The count is the driver's word; only entries inside the reply are read.
    const std::size_t first = offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry);
    const std::size_t size = returned < kLayoutReplyBytes ? returned : kLayoutReplyBytes;
    std::size_t count = size < first ? 0 : ReadAt<DWORD>(reply.data(), 0);
    std::size_t fits = size < first ? 0 : (size - first) / sizeof(PARTITION_INFORMATION);
    if (count > fits) count = fits;
    std::vector<PartitionEntry> table;
    for (std::size_t i = 0; i < count; ++i) {
      auto info = ReadAt<PARTITION_INFORMATION>(reply.data(), first + i * sizeof(PARTITION_INFORMATION));
      PartitionEntry entry;
      entry.startingOffset = info.StartingOffset.QuadPart;
      entry.length = info.PartitionLength.QuadPart;
      entry.type = info.PartitionType;
      entry.bootIndicator = info.BootIndicator != 0;
      table.push_back(entry);
    }
    entries = table;
    return true;
  }

  bool QueryStorage(StorageDescriptor& descriptor, uint32_t& error) override {
    STORAGE_PROPERTY_QUERY query;
    std::memset(&query, 0, sizeof query);  // StorageDeviceProperty, PropertyStandardQuery
    uint8_t reply[kStorageReplyBytes] = {};
    DWORD returned = 0;
    if (!DeviceIoControl(handle_, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, reply, sizeof reply,
                         &returned, nullptr)) {
      error = GetLastError();
      return false;
    }
    StorageDescriptor answer;
    answer.vendorId = TextAt(reply, sizeof reply, ReadAt<DWORD>(reply, offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset)));
    answer.productId =
        TextAt(reply, sizeof reply, ReadAt<DWORD>(reply, offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset)));
    DWORD serial = ReadAt<DWORD>(reply, offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset));
    answer.hasSerialNumber = serial != 0;
    answer.serialNumber = TextAt(reply, sizeof reply, serial);
    answer.busType = static_cast<uint32_t>(ReadAt<DWORD>(reply, offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType)));
    descriptor = answer;
    return true;
  }

  bool Seek(uint64_t offset, uint32_t& error) override {
    LARGE_INTEGER distance;
    distance.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, distance, nullptr, FILE_BEGIN)) {
      error = GetLastError();
      return false;
    }
    return true;
  }

  bool Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) override {
    DWORD got = 0;
    if (!ReadFile(handle_, destination, bytes, &got, nullptr)) {
      error = GetLastError();
      return false;
    }
    delivered = got;
    return true;
  }

  // Disks and volumes have no file size; their length comes from the driver.
  bool FileSize(uint64_t& size, uint32_t& error) override {
    LARGE_INTEGER fileSize;
    if (GetFileSizeEx(handle_, &fileSize)) {
      size = static_cast<uint64_t>(fileSize.QuadPart);
      return true;
    }
    error = GetLastError();
    GET_LENGTH_INFORMATION length{};
    DWORD returned = 0;
    if (!DeviceIoControl(handle_, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned,
                         nullptr))
      return false;
    size = static_cast<uint64_t>(length.Length.QuadPart);
    return true;
  }

 private:
  HANDLE handle_;
};

class Win32DeviceOpener : public DeviceOpener {
 public:
  // Nothing is ever written through the handle, whatever access it has.
  std::unique_ptr<Device> Open(const std::string& path, DeviceAccess access, uint32_t& error) override {
    DWORD rights = access == DeviceAccess::kReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    HANDLE handle =
        CreateFileA(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    return std::make_unique<Win32Device>(handle);
  }

  uint32_t SetErrorMode(uint32_t mode) override { return ::SetErrorMode(mode); }
};

}  // namespace

DeviceOpener& PlatformDeviceOpener() {
  static Win32DeviceOpener opener;
  return opener;
}
