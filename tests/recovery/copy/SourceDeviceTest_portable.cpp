// The native identity of devices: whole disks from sysfs, the device behind
// a file system that numbers itself, and a block device node of the very
// disk a folder lies on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "BlockDisks.h"
#include "SourceDevice.h"

namespace fs = std::filesystem;

namespace {

// A sysfs tree as Linux lays it out for a card reader's disk sdb with two
// partitions, and a device-mapper device on its second partition.
class FakeSysfs : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vantrel-sysfs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root = pattern;
    disk = root / "devices/pci0000:00/usb2/host6/block/sdb";
    Make(disk / "sdb1/partition");
    Make(disk / "sdb2/partition");
    Make(root / "devices/virtual/block/dm-0/dev");
    fs::create_directories(root / "devices/virtual/block/dm-0/slaves");
    fs::create_directory_symlink("../../../../pci0000:00/usb2/host6/block/sdb/sdb2",
                                 root / "devices/virtual/block/dm-0/slaves/sdb2");
    fs::create_directories(root / "dev/block");
    Link("8:16", "../../devices/pci0000:00/usb2/host6/block/sdb");
    Link("8:17", "../../devices/pci0000:00/usb2/host6/block/sdb/sdb1");
    Link("8:18", "../../devices/pci0000:00/usb2/host6/block/sdb/sdb2");
    Link("253:0", "../../devices/virtual/block/dm-0");
  }
  void TearDown() override { fs::remove_all(root); }

  static void Make(const fs::path& file) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "1\n";
  }
  void Link(const std::string& number, const std::string& target) {
    fs::create_directory_symlink(target, root / "dev/block" / number);
  }
  std::set<std::string> Disks(unsigned major, unsigned minor) const { return DisksOf(root, major, minor); }

  fs::path root;
  fs::path disk;
};

}  // namespace

TEST_F(FakeSysfs, PartitionsBelongToTheirDisk) {
  const std::set<std::string> whole = {fs::canonical(disk).string()};
  EXPECT_EQ(Disks(8, 16), whole);
  EXPECT_EQ(Disks(8, 17), whole);
  EXPECT_EQ(Disks(8, 18), whole);
}

TEST_F(FakeSysfs, StackedDevicesBelongToTheDisksBelow) {
  std::set<std::string> disks = Disks(253, 0);
  EXPECT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks.count(fs::canonical(disk).string()), 1u);
}

TEST_F(FakeSysfs, UnknownNumbersHaveNoDisk) { EXPECT_TRUE(Disks(8, 32).empty()); }

TEST(MountInfo, SourceOfASelfNumberedFileSystem) {
  const std::string text =
      "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
      "31 27 0:45 / /media/card rw,nosuid shared:12 - btrfs /dev/sdb1 rw,space_cache\n"
      "32 27 0:46 / /media/phone rw master:3 - fuse.gvfsd-fuse gvfsd-fuse rw\n";
  EXPECT_EQ(MountSourceOf(text, 0, 45), "/dev/sdb1");
  EXPECT_EQ(MountSourceOf(text, 0, 46), "");  // not a device
  EXPECT_EQ(MountSourceOf(text, 0, 21), "");
  EXPECT_EQ(MountSourceOf(text, 0, 99), "");
}

// A block device node for the disk that holds the temporary folder: the
// folder is on that source. Needs the right to make device nodes.
TEST(SourceDevice, FolderOnTheDiskOfABlockSource) {
  char pattern[] = "/tmp/vantrel-source-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path folder = pattern;
  struct stat info;
  ASSERT_EQ(stat(folder.c_str(), &info), 0);
  const std::string same = (folder / "same").string();
  const std::string other = (folder / "other").string();
  if (mknod(same.c_str(), S_IFBLK | 0600, info.st_dev) != 0 ||
      mknod(other.c_str(), S_IFBLK | 0600, makedev(7, 250)) != 0) {
    fs::remove_all(folder);
    GTEST_SKIP() << "no right to make device nodes here";
  }
  EXPECT_TRUE(FolderOnSourceDevice(folder.string(), same));
  EXPECT_TRUE(FolderOnSourceDevice((folder / "not/yet/made").string(), "\\\\.\\" + same));
  EXPECT_FALSE(FolderOnSourceDevice(folder.string(), other));
  fs::remove_all(folder);
}
