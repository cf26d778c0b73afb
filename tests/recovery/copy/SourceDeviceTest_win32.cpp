// On Windows a destination on the source drive is refused by the identity of
// its volume: whatever folder of the drive it names.
#include <gtest/gtest.h>

#include "SourceDevice.h"
#include "System.h"
#include "TestFiles.h"

TEST(SourceDevice, FolderOfTheSourceDriveIsOnIt) {
  const std::string documents = GetSpecialFolder(kFolderPersonal);
  ASSERT_GE(documents.size(), 3u);
  const std::string drive = "\\\\.\\" + documents.substr(0, 2);
  EXPECT_TRUE(FolderOnSourceDevice(documents, drive)) << documents << " on " << drive;
  EXPECT_TRUE(FolderOnSourceDevice(documents + "not\\made\\yet", drive));
  EXPECT_FALSE(FolderOnSourceDevice(documents, "\\\\.\\Q:"));
}
