// Sizing a device by reading it, as Media does when the driver cannot say.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "DeviceExtent.h"
#include "MemoryDevice.h"

namespace {

std::shared_ptr<MemoryMedium> Medium(uint64_t sectors) {
  return std::make_shared<MemoryMedium>(std::vector<uint8_t>(sectors * 512, 0x5A));
}

uint64_t Probed(const std::shared_ptr<MemoryMedium>& medium) {
  MemoryDevice device(medium);
  uint64_t count = 0;
  uint32_t error = 0;
  EXPECT_TRUE(ProbeSectorCount(device, 512, count, error));
  return count;
}

TEST(DeviceExtentTest, FindsTheExactCountOfAnySize) {
  for (uint64_t sectors : {1u, 2u, 3u, 1000u, 1024u, 1025u, 131072u, 131071u}) {
    EXPECT_EQ(Probed(Medium(sectors)), sectors) << sectors;
  }
}

TEST(DeviceExtentTest, APartialLastSectorDoesNotCount) {
  auto medium = std::make_shared<MemoryMedium>(std::vector<uint8_t>(1000 * 512 + 100));
  EXPECT_EQ(Probed(medium), 1000u);
}

TEST(DeviceExtentTest, BadSectorsInsideStillBelongToTheMedium) {
  auto medium = Medium(5000);
  for (uint64_t sector : {1u, 2u, 4u, 4096u, 4999u}) medium->FailSector(sector, kErrorCrc);
  EXPECT_EQ(Probed(medium), 5000u);
}

TEST(DeviceExtentTest, RefusalsPastTheEndEndTheMedium) {
  // Wine refuses a seek past the end of a raw device with 87.
  auto medium = Medium(300);
  for (uint64_t sector = 300; sector < 1024; ++sector) medium->FailSector(sector, kErrorInvalidParameter);
  EXPECT_EQ(Probed(medium), 300u);
}

TEST(DeviceExtentTest, AnUnreadableFirstSectorFails) {
  auto empty = Medium(0);
  MemoryDevice device(empty);
  uint64_t count = 77;
  uint32_t error = 0;
  EXPECT_FALSE(ProbeSectorCount(device, 512, count, error));
  EXPECT_EQ(error, kErrorNotReady);
  EXPECT_EQ(count, 77u);

  auto broken = Medium(100);
  broken->FailSector(0, kErrorCrc);
  MemoryDevice brokenDevice(broken);
  EXPECT_FALSE(ProbeSectorCount(brokenDevice, 512, count, error));
  EXPECT_EQ(error, kErrorCrc);
}

TEST(DeviceExtentTest, ReadsStayFewOnALargeMedium) {
  auto medium = Medium(1);
  medium->bytes.resize(uint64_t{64} << 20);  // 131072 sectors
  MemoryDevice device(medium);
  uint64_t count = 0;
  uint32_t error = 0;
  ASSERT_TRUE(ProbeSectorCount(device, 512, count, error));
  EXPECT_EQ(count, uint64_t{131072});
  EXPECT_LE(medium->counters.readRequests, 2u * 18u + 1u);
}

}  // namespace
