// Reading sectors: the cache, the retries, short reads, the sector size, and
// a whole image read as the recovery run reads it.
#include <algorithm>
#include <string>
#include <vector>

#include "MediaTestSupport.h"

namespace {

constexpr std::size_t kBufferBytes = std::size_t{Media::kMaxSectorsPerRead} * Media::kLargestSectorSize;

class MediaRead : public MediaTest {
 protected:
  void SetUp() override {
    MediaTest::SetUp();
    drive = AddDrive('E', 4 << 20);
    ASSERT_TRUE(media->OpenDrive('E'));
  }
  uint64_t Requests() const { return drive->counters.readRequests; }

  std::shared_ptr<MemoryMedium> drive;
};

}  // namespace

TEST_F(MediaRead, OverlappingForwardReadsFetchOnlyTheNewTail) {
  ASSERT_TRUE(media->ReadSectors(10, 16));
  EXPECT_EQ(Requests(), 1u);

  ASSERT_TRUE(media->ReadSectors(14, 8));  // inside: no device access
  EXPECT_EQ(Requests(), 1u);
  EXPECT_TRUE(BufferHolds(*drive, 14, 12));
  EXPECT_EQ(media->cacheFirst, 14u);
  EXPECT_EQ(media->cacheCount, 12u);

  ASSERT_TRUE(media->ReadSectors(20, 16));  // keeps 20..25, reads 26..35
  EXPECT_EQ(Requests(), 2u);
  EXPECT_EQ(drive->counters.lastOffset, 26u * 512);
  EXPECT_EQ(drive->counters.lastBytes, 10u * 512);
  EXPECT_TRUE(BufferHolds(*drive, 20, 16));

  ASSERT_TRUE(media->ReadSectors(19, 4));  // before the cache: a full read
  EXPECT_EQ(drive->counters.lastOffset, 19u * 512);
  ASSERT_TRUE(media->ReadSectors(23, 2));  // at its end: a full read
  EXPECT_EQ(drive->counters.lastOffset, 23u * 512);
  EXPECT_EQ(drive->counters.lastBytes, 2u * 512);
}

TEST_F(MediaRead, CountsOfSeventeenAndZero) {
  ASSERT_TRUE(media->ReadSectors(10, 16));
  EXPECT_FALSE(media->ReadSectors(10, 17));
  EXPECT_EQ(media->cacheFirst, 10u);
  EXPECT_EQ(media->cacheCount, 16u);
  EXPECT_EQ(Requests(), 1u);

  ASSERT_TRUE(media->ReadSectors(40, 0));
  EXPECT_EQ(media->cacheFirst, 40u);
  EXPECT_EQ(media->cacheCount, 0u);
}

TEST_F(MediaRead, TenAttemptsThenTheLastError) {
  drive->FailSectorFirst(40, 9);
  ASSERT_TRUE(media->ReadSectors(40, 1));
  EXPECT_EQ(Requests(), 10u);
  EXPECT_TRUE(BufferHolds(*drive, 40, 1));

  drive->FailSectorFirst(50, 10, 1117);
  EXPECT_FALSE(media->ReadSectors(48, 4));
  EXPECT_EQ(Requests(), 20u);
  EXPECT_EQ(media->lastError, 1117u);
  EXPECT_EQ(media->cacheCount, 0u);
  EXPECT_TRUE(media->ReadSectors(48, 4));  // the eleventh attempt succeeds
}

TEST_F(MediaRead, FailedTailKeepsTheCachedSectors) {
  drive->FailSector(20);
  ASSERT_TRUE(media->ReadSectors(10, 10));
  EXPECT_FALSE(media->ReadSectors(12, 16));
  EXPECT_EQ(media->lastError, kErrorCrc);
  EXPECT_EQ(media->cacheFirst, 12u);
  EXPECT_EQ(media->cacheCount, 8u);
  uint64_t before = Requests();
  ASSERT_TRUE(media->ReadSectors(15, 5));
  EXPECT_EQ(Requests(), before);
  EXPECT_TRUE(BufferHolds(*drive, 15, 5));
}

TEST_F(MediaRead, ShortTailCountsOnlyTheSectorsThatArrived) {
  drive->ShortReadAt(20);
  ASSERT_TRUE(media->ReadSectors(0, 16));
  EXPECT_FALSE(media->ReadSectors(10, 16));  // keeps 10..15; of 16..25 only 16..19 arrive
  EXPECT_EQ(media->lastError, kErrorSeek);
  EXPECT_EQ(media->cacheFirst, 10u);
  EXPECT_EQ(media->cacheCount, 10u);
  EXPECT_TRUE(BufferHolds(*drive, 10, 10));

  EXPECT_FALSE(media->ReadSectors(5, 16));  // before the cache: a short full read counts nothing
  EXPECT_EQ(media->lastError, kErrorSeek);
  EXPECT_EQ(media->cacheCount, 0u);
}

TEST_F(MediaRead, OnlyTheFirstHundredSectorsAreTraced) {
  ASSERT_TRUE(media->ReadSectors(99, 2));
  EXPECT_EQ(TraceLines().back(), "Reading sector 99 for 2");
  std::size_t lines = TraceLines().size();
  ASSERT_TRUE(media->ReadSectors(100, 1));
  EXPECT_EQ(TraceLines().size(), lines);
}

TEST_F(MediaRead, LargerSectorSizeGrowsTheBufferInPlace) {
  auto image = AddImage("card.img", 4 << 20);
  ASSERT_TRUE(media->OpenImage("card.img"));
  uint8_t* before = media->buffer;
  ASSERT_TRUE(media->ReadSectors(0, 16));

  media->SetSectorSize(4096);
  EXPECT_EQ(media->cacheCount, 0u);  // 512-byte sectors are not 4096-byte ones
  ASSERT_TRUE(media->ReadSectors(1, 16));
  EXPECT_EQ(media->buffer, before);
  EXPECT_TRUE(BufferHolds(*image, 8, 128));

  media->SetSectorSize(Media::kLargestSectorSize * 2);
  uint64_t requests = image->counters.readRequests;
  EXPECT_FALSE(media->ReadSectors(0, 16));
  EXPECT_EQ(media->lastError, kErrorInvalidParameter);
  EXPECT_EQ(image->counters.readRequests, requests);
}

TEST(MediaWithoutSource, ReadsFail) {
  Media media;
  EXPECT_FALSE(media.ReadSectors(0, 1));
  EXPECT_EQ(media.lastError, kErrorInvalidHandle);
  EXPECT_EQ(media.buffer, nullptr);
}

// The search's pattern, 12 sectors from every sector in turn, moves the
// window one sector on and reads one sector behind it; the sectors it keeps
// are moved back to the buffer's start only when the buffer is full.
TEST_F(MediaRead, ForwardRunMovesTheWindowNotTheBytes) {
  constexpr uint32_t kRun = 12;
  ASSERT_TRUE(media->ReadSectors(0, kRun));
  const uint8_t* start = media->buffer;
  uint32_t movedBack = 0;
  for (uint32_t s = 1; s < 6000; ++s) {
    const uint8_t* before = media->buffer;
    ASSERT_TRUE(media->ReadSectors(s, kRun));
    ASSERT_EQ(Requests(), s + 1);
    ASSERT_EQ(drive->counters.lastBytes, 512u);
    if (media->buffer == start) {
      ++movedBack;
    } else {
      ASSERT_EQ(media->buffer, before + 512) << "sector " << s;
    }
    ASSERT_TRUE(BufferHolds(*drive, s, kRun)) << "sector " << s;
  }
  // 1 MiB holds 2048 sectors: the window goes back after every 2037 reads.
  EXPECT_EQ(movedBack, 2u);
}

// The recovery run's pattern: 12 sectors from every sector in turn. Whatever
// the faults, a read that succeeds holds exactly the image's sectors, the
// sectors the cache claims are the image's, and read-ahead changes no answer.
class WholeImageRead : public MediaTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WholeImageRead, NoStaleByteIsEverReportedAsData) {
  constexpr uint32_t kSectors = 6000;  // three read-ahead blocks
  constexpr uint32_t kRun = 12;
  constexpr uint32_t kBad = 700, kFlaky = 2500, kCut = 4500;
  auto image = AddImage("card.img", uint64_t{kSectors} * 512);
  image->FailSector(kBad);
  image->FailSectorFirst(kFlaky, 3);
  image->ShortReadAt(kCut);
  ReadAheadOpener readAhead(devices);
  Media source(GetParam() ? static_cast<DeviceOpener*>(&readAhead) : &devices);
  ASSERT_TRUE(source.OpenImage("card.img"));
  const uint8_t* buffer = source.buffer;

  auto covers = [](uint32_t s, uint32_t sector) { return s <= sector && sector < s + kRun; };
  for (uint32_t s = 0; s < kSectors; ++s) {
    bool expected = !covers(s, kBad) && !covers(s, kCut) && s + kRun <= kSectors;
    ASSERT_EQ(source.ReadSectors(s, kRun), expected) << "sector " << s;
    if (!expected) {
      EXPECT_EQ(source.lastError, covers(s, kBad) ? kErrorCrc : kErrorSeek) << "sector " << s;
    }
    uint32_t valid = expected ? kRun : source.cacheCount;
    ASSERT_TRUE(valid == 0 || source.cacheFirst == s) << "sector " << s;
    std::vector<uint8_t> want = Sectors(*image, s, valid);
    ASSERT_TRUE(std::equal(want.begin(), want.end(), source.buffer)) << "sector " << s;
    ASSERT_TRUE(source.buffer >= buffer && source.buffer + valid * 512 <= buffer + kBufferBytes) << "sector " << s;
  }
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutReadAhead, WholeImageRead, ::testing::Bool());
