// Read-ahead: forward requests come from blocks, everything else is read
// exactly, and the device's own answers survive.
#include <cstring>
#include <vector>

#include "MediaTestSupport.h"

namespace {

constexpr uint32_t kBlock = ReadAheadDevice::kBlockBytes;

class ReadAhead : public ::testing::Test {
 protected:
  void Open(uint64_t bytes) {
    medium = devices.Add("card", NumberedImage(bytes));
    uint32_t error = 0;
    device = readAhead.Open("card", DeviceAccess::kReadOnly, error);
    ASSERT_NE(device, nullptr);
  }
  // Reads and checks the bytes against the medium; false when the read failed.
  bool ReadAt(uint64_t offset, uint32_t bytes, uint32_t& delivered, uint32_t& error) {
    std::vector<uint8_t> out(bytes);
    if (!device->Seek(offset, error) || !device->Read(out.data(), bytes, delivered, error)) return false;
    EXPECT_LE(offset + delivered, medium->bytes.size());
    EXPECT_EQ(std::memcmp(out.data(), medium->bytes.data() + offset, delivered), 0) << "at " << offset;
    return true;
  }
  uint32_t ReadAt(uint64_t offset, uint32_t bytes) {
    uint32_t delivered = 0, error = 0;
    EXPECT_TRUE(ReadAt(offset, bytes, delivered, error)) << "at " << offset;
    return delivered;
  }

  MemoryDeviceOpener devices;
  ReadAheadOpener readAhead{devices};
  std::shared_ptr<MemoryMedium> medium;
  std::unique_ptr<Device> device;
};

// The recovery run over a modelled USB card reader, in modelled time.
double RunPatternMegabytesPerSecond(bool withReadAhead, uint32_t sectors) {
  MemoryDeviceOpener devices;
  ReadAheadOpener readAhead(devices);
  auto reader = devices.Add("\\\\.\\E:", NumberedImage(uint64_t{sectors} * 512));
  reader->latencyMicroseconds = 500;
  reader->bytesPerSecond = 40000000;
  Media media(withReadAhead ? static_cast<DeviceOpener*>(&readAhead) : &devices);
  if (!media.OpenDrive('E')) return 0;
  for (uint32_t s = 0; s + 12 <= sectors; ++s)
    if (!media.ReadSectors(s, 12)) return 0;
  return static_cast<double>(sectors) * 512 / static_cast<double>(reader->counters.modelledMicroseconds);
}

}  // namespace

TEST_F(ReadAhead, ForwardRequestsAreServedFromBlocks) {
  Open(4 * kBlock);
  for (uint64_t offset = 0; offset < 4 * kBlock; offset += 512) ASSERT_EQ(ReadAt(offset, 512), 512u);
  EXPECT_EQ(medium->counters.readRequests, 1u + 4u);  // the first request is read as asked
  ASSERT_EQ(ReadAt(kBlock * 3 + 4096, 512), 512u);    // a jump back inside the block
  EXPECT_EQ(medium->counters.readRequests, 5u);
}

TEST_F(ReadAhead, RecoveryRunReachesTheReadersBandwidth) {
  UseScratchDocumentsFolder();
  EXPECT_GE(RunPatternMegabytesPerSecond(true, 32768), 36.0);
  EXPECT_LE(RunPatternMegabytesPerSecond(false, 4096), 2.0);
}

TEST_F(ReadAhead, JumpingRequestsAreReadExactly) {
  Open(8 * kBlock);
  uint64_t asked = 0;
  for (uint64_t sector = 8 * kBlock / 512 - 16; sector >= 512; sector -= 512) {  // the end-of-data probe
    asked += ReadAt(sector * 512, 16 * 512);
  }
  for (uint64_t offset = 0; offset < 8 * kBlock; offset += 3 * kBlock / 2) asked += ReadAt(offset, 4096);
  EXPECT_EQ(medium->counters.bytesRequested, asked);
}

TEST_F(ReadAhead, FailedBlockFallsBackToTheExactRequest) {
  Open(2 * kBlock);
  medium->FailSector(300, 1117);
  for (uint64_t sector = 0; sector < 300; ++sector) ASSERT_EQ(ReadAt(sector * 512, 512), 512u);
  uint32_t delivered = 0, error = 0;
  EXPECT_FALSE(ReadAt(300 * 512, 512, delivered, error));
  EXPECT_EQ(error, 1117u);  // the error of the range asked for
  // The failed block was tried once; every request of it went to the device.
  EXPECT_EQ(medium->counters.bytesRequested, kBlock + 301u * 512);

  for (uint64_t sector = 301; sector < 2 * kBlock / 512; ++sector) ASSERT_EQ(ReadAt(sector * 512, 512), 512u);
  EXPECT_EQ(medium->counters.bytesRequested, 2u * kBlock + 2048u * 512);  // the next block is read ahead
}

TEST_F(ReadAhead, DataEndsWhereTheDeviceSaysItEnds) {
  Open(1000000);
  uint64_t offset = 0;
  for (; offset + 512 <= 1000000; offset += 512) ASSERT_EQ(ReadAt(offset, 512), 512u);
  EXPECT_EQ(ReadAt(offset, 512), 1000000u % 512);
  EXPECT_EQ(ReadAt(1000000, 512), 0u);

  Open(3 * kBlock);  // a fresh device, with a short read inside its first block
  medium->ShortReadAt(100);
  ASSERT_EQ(ReadAt(0, 512), 512u);
  for (uint64_t sector = 1; sector < 100; ++sector) ASSERT_EQ(ReadAt(sector * 512, 512), 512u);
  EXPECT_EQ(ReadAt(100 * 512, 1024), 0u);
}

TEST_F(ReadAhead, RequestAcrossABlockBoundary) {
  Open(3 * kBlock);
  ASSERT_EQ(ReadAt(0, 512), 512u);
  ASSERT_EQ(ReadAt(512, kBlock), kBlock);  // from block 0 into block 1
  EXPECT_EQ(medium->counters.readRequests, 3u);
  ASSERT_EQ(ReadAt(kBlock + 512, 8192), 8192u);
  EXPECT_EQ(medium->counters.readRequests, 3u);
}

TEST_F(ReadAhead, SeekErrorsComeWithTheRead) {
  Open(kBlock);
  medium->seekError = 131;
  uint32_t delivered = 0, error = 0;
  EXPECT_FALSE(ReadAt(0, 512, delivered, error));
  EXPECT_EQ(error, 131u);
}
