// A sparse image file: its holes are told apart from its data, and it reads
// as the same bytes, in any pieces, as a file with the zeros written out.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FileHoles.h"
#include "PlatformDevice.h"

namespace {

constexpr uint64_t kMiB = 1 << 20;

class SparseFile : public ::testing::Test {
 protected:
  // 16 MiB: data in the fourth MiB (from 3 MiB + 1000) and in the last 4 KiB.
  void SetUp() override {
    path = ::testing::TempDir() + "vantrel-sparse.img";
    int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_RDWR, 0600);
    ASSERT_GE(fd, 0);
    expected.assign(16 * kMiB, 0);
    Write(fd, 3 * kMiB + 1000, 5000);
    Write(fd, 16 * kMiB - 4096, 4096);
    close(fd);
  }
  void TearDown() override { unlink(path.c_str()); }

  void Write(int fd, uint64_t at, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) expected[at + i] = static_cast<uint8_t>(i * 7 + 1);
    ASSERT_EQ(pwrite(fd, expected.data() + at, count, static_cast<off_t>(at)), static_cast<ssize_t>(count));
  }

  std::string path;
  std::vector<uint8_t> expected;
};

}  // namespace

TEST_F(SparseFile, HolesAreToldApartFromData) {
  int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  FileHoles holes(fd);
  // A file system that keeps no holes reads as data throughout.
  if (lseek(fd, 0, SEEK_HOLE) == static_cast<off_t>(expected.size())) {
    EXPECT_EQ(holes.HoleAt(0, kMiB), 0u);
  } else {
    EXPECT_EQ(holes.HoleAt(0, 100), 100u);
    EXPECT_EQ(holes.HoleAt(kMiB, 8 * kMiB), 2 * kMiB);  // up to the data's page
    EXPECT_EQ(holes.HoleAt(3 * kMiB + 1000, 10), 0u);
    EXPECT_EQ(holes.HoleAt(16 * kMiB - 4096, 10), 0u);
  }
  EXPECT_EQ(holes.HoleAt(16 * kMiB, 10), 0u);  // the end of the file
  close(fd);
}

TEST_F(SparseFile, ReadsAsItsBytesInAnyPieces) {
  uint32_t error = 0;
  auto device = PlatformDeviceOpener().Open(path, DeviceAccess::kReadOnly, error);
  ASSERT_NE(device, nullptr);
  for (uint32_t piece : {512u, 4096u * 3 + 512, static_cast<uint32_t>(kMiB) + 512}) {
    std::vector<uint8_t> read(expected.size() + piece, 0xEE);
    uint64_t at = 0;
    for (;;) {
      uint32_t delivered = 0;
      ASSERT_TRUE(device->Seek(at, error));
      ASSERT_TRUE(device->Read(read.data() + at, piece, delivered, error));
      at += delivered;
      if (delivered < piece) break;
    }
    EXPECT_EQ(at, expected.size()) << piece;
    EXPECT_EQ(std::memcmp(read.data(), expected.data(), expected.size()), 0) << piece;
  }
}
