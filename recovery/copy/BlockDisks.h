// The whole disks that Linux block devices lie on, from sysfs: a partition
// belongs to its disk, a device-mapper or loop device to the disks below it
// ("slaves"). The native check of SourceDevice.h compares these.
#pragma once

#include <set>
#include <string>

// The sysfs folders of the whole disks under device major:minor, below the
// sysfs tree at sysfsRoot ("/sys"); empty when sysfs does not know it.
std::set<std::string> DisksOf(const std::string& sysfsRoot, unsigned major, unsigned minor);

// The mounted device ("/dev/sdb1") of the file system whose st_dev is
// major:minor, from the text of /proc/self/mountinfo; empty when that is no
// device. File systems such as btrfs or FUSE ones report a number of their
// own (major 0) in st_dev, so only their mount names the device.
std::string MountSourceOf(const std::string& mountInfo, unsigned major, unsigned minor);
