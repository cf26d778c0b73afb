// The platform's devices and image files: CreateFileA and DeviceIoControl on
// Windows (PlatformDevice_win32.cpp); natively image files and Linux block
// devices (PlatformDevice_portable.cpp), where "\\.\sdb" names /dev/sdb.
#pragma once

#include "Device.h"

// The platform's own devices, without read-ahead.
DeviceOpener& PlatformDeviceOpener();

// What Media uses unless told otherwise: the platform's devices with
// read-ahead (ReadAheadDevice.h).
DeviceOpener& DefaultDeviceOpener();
