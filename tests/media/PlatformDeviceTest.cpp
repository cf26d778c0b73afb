// The platform's own device layer over real image files (under Wine, the
// Win32 one), and Media over it with read-ahead, as the program uses them.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "MediaTestSupport.h"
#include "PlatformDevice.h"
#include "System.h"

namespace {

class PlatformDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    UseScratchDocumentsFolder();
    folder = GetSpecialFolder(kFolderPersonal);
    ASSERT_FALSE(folder.empty());
  }
  std::string Made(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = folder + name;
    WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
    made.push_back(path);
    return path;
  }
  void TearDown() override {
    for (const std::string& path : made) RemoveFile(path);
  }

  std::string folder;
  std::vector<std::string> made;
};

}  // namespace

TEST_F(PlatformDevice, ImageReadInTheRunsPatternIsTheFile) {
  std::vector<uint8_t> bytes = NumberedImage(3 * ReadAheadDevice::kBlockBytes + 1000);
  std::string path = Made("run.img", bytes);
  Media media;
  ASSERT_TRUE(media.OpenImage(path));
  ASSERT_EQ(media.sectorCount, bytes.size() / 512);
  uint32_t sectors = static_cast<uint32_t>(media.sectorCount);
  for (uint32_t s = 0; s + 12 <= sectors; ++s) {
    ASSERT_TRUE(media.ReadSectors(s, 12)) << s;
    ASSERT_EQ(std::memcmp(media.buffer, bytes.data() + uint64_t{s} * 512, 12 * 512), 0) << s;
  }
  EXPECT_FALSE(media.ReadSectors(sectors - 11, 12));
  EXPECT_EQ(media.lastError, kErrorSeek);
  EXPECT_FALSE(media.ReadSectors(sectors, 1));  // the partial last sector
  EXPECT_EQ(media.lastError, kErrorSeek);
}

TEST_F(PlatformDevice, PlainFileAnswersNoDeviceQuery) {
  std::string path = Made("plain.img", NumberedImage(10000));
  uint32_t error = 0;
  auto device = PlatformDeviceOpener().Open(path, DeviceAccess::kReadWrite, error);
  ASSERT_NE(device, nullptr);
  DiskGeometry geometry;
  std::vector<PartitionEntry> table;
  StorageDescriptor descriptor;
  EXPECT_FALSE(device->QueryGeometry(geometry, error));
  EXPECT_NE(error, 0u);
  EXPECT_FALSE(device->QueryLayout(table, error));
  EXPECT_FALSE(device->QueryStorage(descriptor, error));
  uint64_t size = 0;
  ASSERT_TRUE(device->FileSize(size, error));
  EXPECT_EQ(size, 10000u);

  Media media;
  EXPECT_FALSE(media.OpenImage(folder + "missing.img"));
  EXPECT_EQ(media.lastError, kErrorFileNotFound);
}

TEST_F(PlatformDevice, FolderIsDeniedEitherWay) {
  RemoveFile(TraceFilePath());
  std::vector<std::string> warnings;
  Media media(nullptr, [&warnings](const std::string& text) { warnings.push_back(text); });
  std::string path = folder.substr(0, folder.size() - 1);
  EXPECT_FALSE(media.OpenImage(path));
  EXPECT_EQ(media.lastError, kErrorAccessDenied);
  std::vector<std::string> lines = TraceLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "Read/write open of " + path + " failed, trying read-only open");
  EXPECT_EQ(lines[2], "Read-only open of " + path + " failed with error 5");
  EXPECT_TRUE(warnings.empty());
}

TEST_F(PlatformDevice, OffsetsBeyondFourGigabytes) {
  const uint64_t marker = (uint64_t{1} << 32) + 4096;
  std::string path = folder + "sparse.img";
  made.push_back(path);
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.seekp(static_cast<std::streamoff>(marker));
    out.write("VANTREL!", 8);
    out.seekp(static_cast<std::streamoff>(marker + 1024 * 1024 - 1));
    out.put('\0');
    ASSERT_TRUE(out.good());
  }
  uint32_t error = 0, delivered = 0;
  auto device = PlatformDeviceOpener().Open(path, DeviceAccess::kReadOnly, error);
  ASSERT_NE(device, nullptr);
  uint64_t size = 0;
  ASSERT_TRUE(device->FileSize(size, error));
  EXPECT_EQ(size, marker + 1024 * 1024);
  char text[8] = {};
  ASSERT_TRUE(device->Seek(marker, error));
  ASSERT_TRUE(device->Read(text, 8, delivered, error));
  EXPECT_EQ(std::string(text, 8), "VANTREL!");

  Media media;
  ASSERT_TRUE(media.OpenImage(path));
  EXPECT_EQ(media.sectorCount, size / 512);
  ASSERT_TRUE(media.ReadSectors(static_cast<uint32_t>(marker / 512), 1));
  EXPECT_EQ(std::memcmp(media.buffer, "VANTREL!", 8), 0);
}
