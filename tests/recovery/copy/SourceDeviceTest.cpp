// A destination is refused only when it lies on the device being recovered.
#include <gtest/gtest.h>

#include "SourceDevice.h"
#include "System.h"
#include "TestFiles.h"

TEST(SourceDevice, AnImageFileIsNeverTheDevice) {
  UseScratchDocumentsFolder();
  const std::string documents = GetSpecialFolder(kFolderPersonal);
  const std::string image = documents + "card.img";
  WriteWholeFile(image, std::string(4096, '\0'));
  EXPECT_FALSE(FolderOnSourceDevice(documents, image));
  EXPECT_FALSE(FolderOnSourceDevice(documents + "recovered", image));
  RemoveFile(image);
}
