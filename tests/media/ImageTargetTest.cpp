// The platform's image files, on real files in the scratch documents folder.
#include <gtest/gtest.h>

#include <string>

#include "ImageTarget.h"
#include "System.h"
#include "TestFiles.h"

namespace {

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class PlatformImageFile : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    path = GetSpecialFolder(kFolderPersonal) + "image-target.img";
    RemoveFile(path);
  }
  void TearDown() override { RemoveFile(path); }

  std::string path;
};

}  // namespace

TEST_F(PlatformImageFile, ReplacesAFileOfThatNameAndDeletes) {
  WriteWholeFile(path, std::string(5000, 'x'));
  uint32_t error = 0;
  auto file = PlatformImageTarget().Create(Wide(path), error);
  ASSERT_TRUE(file) << error;
  const uint8_t data[] = {1, 2, 3, 4, 5};
  uint32_t written = 0;
  ASSERT_TRUE(file->Write(data, sizeof data, written, error)) << error;
  EXPECT_EQ(written, sizeof data);
  ASSERT_TRUE(file->Close(error)) << error;
  EXPECT_EQ(ReadWholeFile(path), std::string("\1\2\3\4\5"));

  ASSERT_TRUE(PlatformImageTarget().Delete(Wide(path), error)) << error;
  EXPECT_FALSE(FileExists(path));
  error = 0;
  EXPECT_FALSE(PlatformImageTarget().Delete(Wide(path), error));
  EXPECT_NE(error, 0u);
}

TEST_F(PlatformImageFile, FolderThatDoesNotExist) {
  uint32_t error = 0;
  std::string missing = GetSpecialFolder(kFolderPersonal) + "no-such-folder" + kPathSeparator + "card.img";
  EXPECT_FALSE(PlatformImageTarget().Create(Wide(missing), error));
  EXPECT_TRUE(error == 2 || error == 3) << error;
}
