// What the native device layer learns from Linux, in the terms of the rest of
// the program: Windows error codes for errno values, a storage bus type for a
// sysfs device path, the device path behind a "\\.\" name.
#pragma once

#include <cstdint>
#include <string>

uint32_t WindowsErrorFromErrno(int errnoValue);

// STORAGE_BUS_TYPE of the block device whose resolved sysfs path is given
// ("/sys/devices/pci0000:00/.../usb2/.../block/sdb"): 7 USB, 4 FireWire,
// 3 ATA, 1 SCSI, 12 SD, 17 NVMe, 0 unknown.
uint32_t BusTypeFromSysfsPath(const std::string& path);

// "\\.\sdb" and "\\.\/dev/sdb" name /dev/sdb; any other path stands as it is.
std::string NativeDevicePath(const std::string& path);
