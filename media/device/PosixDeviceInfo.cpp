#include "PosixDeviceInfo.h"

#include <cerrno>

#include "Device.h"

uint32_t WindowsErrorFromErrno(int errnoValue) {
  switch (errnoValue) {
    // A write-protected card refuses read/write opens with EROFS: it must
    // count as access denied, so that the read-only open is tried.
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return kErrorAccessDenied;
    case ENOENT: return kErrorFileNotFound;
    case ENOTDIR: return 3;  // path not found
    case ENOMEDIUM:
    case ENXIO:
    case ENODEV: return kErrorNotReady;
    case EIO: return kErrorCrc;
    case EBUSY:
    case ETXTBSY: return 32;  // sharing violation
    case EINVAL: return kErrorInvalidParameter;
    case ESPIPE:
    case EOVERFLOW: return kErrorSeek;
    case ENOMEM: return 8;
    case EBADF: return kErrorInvalidHandle;
    case ENAMETOOLONG: return 123;  // invalid name
    case ENOSPC: return 112;
    default: return 1117;  // I/O device error
  }
}

uint32_t BusTypeFromSysfsPath(const std::string& path) {
  struct Bus {
    const char* part;
    uint32_t type;
  };
  // USB mass storage also shows SCSI hosts and targets: the first match wins.
  static const Bus kBuses[] = {
      {"/usb", 7}, {"/firewire", 4}, {"/ata", 3}, {"/mmc", 12}, {"/nvme", 17}, {"/host", 1}, {"/target", 1},
  };
  for (const Bus& bus : kBuses)
    if (path.find(bus.part) != std::string::npos) return bus.type;
  return 0;
}

std::string NativeDevicePath(const std::string& path) {
  static const std::string kPrefix = "\\\\.\\";
  if (path.compare(0, kPrefix.size(), kPrefix) != 0) return path;
  std::string name = path.substr(kPrefix.size());
  return name.find('/') == std::string::npos ? "/dev/" + name : name;
}
