// The faults of the in-memory device behave as the other suites rely on.
#include <vector>

#include "MediaTestSupport.h"

TEST(MemoryDevice, FaultsCountTheRequestsThatReachThem) {
  MemoryDeviceOpener devices;
  auto card = devices.Add("card", NumberedImage(64 * 512));
  card->FailSectorFirst(5, 2, 1117);
  card->ShortReadAt(20);
  uint32_t error = 0, delivered = 0;
  auto device = devices.Open("card", DeviceAccess::kReadOnly, error);
  std::vector<uint8_t> out(8 * 512);

  for (int attempt = 0; attempt < 2; ++attempt) {
    ASSERT_TRUE(device->Seek(4 * 512, error));
    EXPECT_FALSE(device->Read(out.data(), 1024, delivered, error));
    EXPECT_EQ(error, 1117u);
    EXPECT_EQ(out[0], 0xEE);  // a failed read leaves rubbish behind
  }
  ASSERT_TRUE(device->Seek(4 * 512, error));
  EXPECT_TRUE(device->Read(out.data(), 1024, delivered, error));
  EXPECT_EQ(delivered, 1024u);

  ASSERT_TRUE(device->Seek(16 * 512, error));
  EXPECT_TRUE(device->Read(out.data(), 8 * 512, delivered, error));
  EXPECT_EQ(delivered, 4u * 512);  // stops before sector 20
  ASSERT_TRUE(device->Seek(60 * 512, error));
  EXPECT_TRUE(device->Read(out.data(), 8 * 512, delivered, error));
  EXPECT_EQ(delivered, 4u * 512);  // the end of the data
  EXPECT_EQ(card->counters.readRequests, 5u);
  EXPECT_EQ(card->counters.bytesRequested, 3u * 1024 + 2u * 8 * 512);
  EXPECT_EQ(card->counters.bytesDelivered, 1024u + 2u * 4 * 512);

  card->notReady = true;
  DiskGeometry geometry;
  EXPECT_FALSE(device->QueryGeometry(geometry, error));
  EXPECT_EQ(error, kErrorNotReady);
  EXPECT_FALSE(device->Read(out.data(), 512, delivered, error));
  EXPECT_EQ(error, kErrorNotReady);
}
