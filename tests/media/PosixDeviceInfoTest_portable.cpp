// What the native device layer makes of Linux's answers.
#include <gtest/gtest.h>

#include <cerrno>

#include "Device.h"
#include "PosixDeviceInfo.h"

TEST(PosixDeviceInfo, ErrnoBecomesTheWindowsCode) {
  EXPECT_EQ(WindowsErrorFromErrno(EACCES), kErrorAccessDenied);
  EXPECT_EQ(WindowsErrorFromErrno(EROFS), kErrorAccessDenied);  // so that read-only is tried
  EXPECT_EQ(WindowsErrorFromErrno(ENOENT), kErrorFileNotFound);
  EXPECT_EQ(WindowsErrorFromErrno(ENOMEDIUM), kErrorNotReady);
  EXPECT_EQ(WindowsErrorFromErrno(EIO), kErrorCrc);
  EXPECT_EQ(WindowsErrorFromErrno(EBUSY), 32u);
  EXPECT_EQ(WindowsErrorFromErrno(EXDEV), 1117u);
}

TEST(PosixDeviceInfo, BusFromTheSysfsPath) {
  EXPECT_EQ(BusTypeFromSysfsPath("/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb"), 7u);
  EXPECT_EQ(BusTypeFromSysfsPath("/sys/devices/pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0/block/sda"), 3u);
  EXPECT_EQ(BusTypeFromSysfsPath("/sys/devices/pci0000:00/0000:00:1c.0/mmc_host/mmc0/mmc0:0001/block/mmcblk0"), 12u);
  EXPECT_EQ(BusTypeFromSysfsPath("/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1"), 17u);
  EXPECT_EQ(BusTypeFromSysfsPath("/sys/devices/virtual/block/loop0"), 0u);
}

TEST(PosixDeviceInfo, DeviceNamesLeadToDev) {
  EXPECT_EQ(NativeDevicePath("\\\\.\\sdb"), "/dev/sdb");
  EXPECT_EQ(NativeDevicePath("\\\\.\\/dev/mmcblk0"), "/dev/mmcblk0");
  EXPECT_EQ(NativeDevicePath("/tmp/card.img"), "/tmp/card.img");
  EXPECT_EQ(NativeDevicePath("\\\\.\\E:"), "/dev/E:");
}
