// The platform's drive letters and device names, as Wine's prefix has them
// (C: its drive_c, a fixed drive).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DriveSet.h"

TEST(PlatformDriveSet, AnswersForADriveAndLeavesAnUnusedLetterAlone) {
  DriveSet& drives = PlatformDriveSet();
  EXPECT_EQ(drives.DriveType('C'), kDriveFixed);
  std::string volume;
  std::string fileSystem;
  ASSERT_TRUE(drives.VolumeInformation('C', volume, fileSystem));
  EXPECT_FALSE(fileSystem.empty());
  std::vector<std::string> targets;
  ASSERT_TRUE(drives.DriveTargets('C', targets));
  EXPECT_FALSE(targets.empty());

  std::vector<std::string> names;
  ASSERT_TRUE(drives.DeviceNames(names));
  EXPECT_NE(std::find(names.begin(), names.end(), "C:"), names.end());

  char unused = 'Y';
  while (unused > 'D' && drives.DriveType(unused) != kDriveNoRootDir) --unused;
  ASSERT_GT(unused, 'D');
  volume = "kept";
  targets = {"kept"};
  EXPECT_FALSE(drives.VolumeInformation(unused, volume, fileSystem));
  EXPECT_FALSE(drives.DriveTargets(unused, targets));
  EXPECT_EQ(volume, "kept");
  EXPECT_EQ(targets, std::vector<std::string>{"kept"});
}
