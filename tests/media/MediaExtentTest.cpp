// How far the medium reaches: partition tables, geometry, image files; and the
// descriptor and CHS arithmetic that come with a device.
#include <string>
#include <vector>

#include "MediaTestSupport.h"

namespace {

const DiskGeometry kSmallCard{980, 11, 2, 32, 512};  // 62,720 sectors

class MediaExtent : public MediaTest {
 protected:
  // Drive E: with the small card's geometry and the given table.
  std::shared_ptr<MemoryMedium> Card(const std::vector<PartitionEntry>& table) {
    auto drive = AddDrive('E', 1 << 20);
    drive->geometry = kSmallCard;
    drive->partitions = table;
    return drive;
  }
};

}  // namespace

TEST_F(MediaExtent, FirstUsedEntryAfterSectorZeroBoundsTheMedium) {
  Card({Partition(0, 0, 0x00), Partition(8192, 1000000, 0x0C), Partition(2000000, 5, 0x83)});
  ASSERT_TRUE(media->OpenDrive('E'));
  EXPECT_EQ(media->partitionStart, 8192);
  EXPECT_EQ(media->partitionLength, 1000000u);
  EXPECT_EQ(media->sectorCount, 1008192u);
  std::vector<std::string> lines = TraceLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Partition:          0          0 0");
  EXPECT_EQ(lines[3], "Partition:    4194304  512000000 c");
}

TEST_F(MediaExtent, EntryAtSectorZeroCountsUntilTheNextUsedOne) {
  Card({Partition(0, 1000, 0x06)});
  ASSERT_TRUE(media->OpenDrive('E'));
  EXPECT_EQ(media->partitionStart, 0);
  EXPECT_EQ(media->sectorCount, 1000u);

  Card({Partition(0, 1000, 0x06), Partition(2048, 5000, 0x0B)});
  ASSERT_TRUE(media->OpenDrive('E'));
  EXPECT_EQ(media->partitionStart, 2048);
  EXPECT_EQ(media->sectorCount, 7048u);
}

TEST_F(MediaExtent, WithoutAUsableEntryTheGeometryCounts) {
  const std::vector<std::vector<PartitionEntry>> tables = {
      {},                                               // empty table
      {Partition(0, 0, 0x00), Partition(63, 99, 0x00)},  // no entry in use
      {Partition(-5, 10, 0x0C), Partition(int64_t{1} << 32, 10, 0x0C)},  // no sector number fits
  };
  for (const auto& table : tables) {
    Card(table);
    ASSERT_TRUE(media->OpenDrive('E'));
    EXPECT_EQ(media->partitionStart, 0);
    EXPECT_EQ(media->sectorCount, 62720u);
    EXPECT_EQ(media->partitionLength, 62720u);
    ASSERT_TRUE(media->OpenDevice("E:", true));
    EXPECT_EQ(media->sectorCount, 62720u);
  }

  for (uint32_t unsupported : {kErrorInvalidFunction, kErrorNotSupported}) {
    Card({})->layoutError = unsupported;
    ASSERT_TRUE(media->OpenDrive('E'));
    EXPECT_EQ(media->sectorCount, 62720u);
    EXPECT_EQ(media->lastError, unsupported);
  }
}

TEST_F(MediaExtent, LargeSectorsComeFromTheGeometry) {
  auto drive = AddDrive('E', 64 * 4096, 4096);
  drive->partitions = {Partition(8, 40, 0x0C, 4096)};
  ASSERT_TRUE(media->OpenDrive('E'));
  EXPECT_EQ(media->sectorSize, 4096u);
  EXPECT_EQ(media->partitionStart, 8);
  EXPECT_EQ(media->sectorCount, 48u);
  ASSERT_TRUE(media->ReadSectors(48, 16));
  EXPECT_TRUE(BufferHolds(*drive, 48, 16));
}

TEST_F(MediaExtent, ImageCountsWholeSectorsOfItsSize) {
  AddImage("odd.img", 1000000);
  ASSERT_TRUE(media->OpenImage("odd.img"));
  EXPECT_EQ(media->sectorCount, 1953u);
  EXPECT_EQ(media->partitionLength, 1000000u);  // bytes, without an active partition
  EXPECT_EQ(TraceLines().back(), "odd.img opened, size=1000000");
  EXPECT_TRUE(media->ReadSectors(1952, 1));
  EXPECT_FALSE(media->ReadSectors(1953, 1));
  EXPECT_EQ(media->lastError, kErrorSeek);

  AddImage("empty.img", 0);
  ASSERT_TRUE(media->OpenImage("empty.img"));
  EXPECT_EQ(media->sectorCount, 0u);
  EXPECT_EQ(media->lastError, kErrorSeek);  // from the read of sector 0
  EXPECT_EQ(TraceLines().back(), "empty.img opened, size=0");
}

TEST_F(MediaExtent, ImageTakesTheFirstActiveEntry) {
  struct Case {
    std::vector<uint8_t> flags;
    bool signed55AA;
    int32_t start;
    uint64_t length;
  };
  const Case cases[] = {
      {{0x00, 0x80, 0x80}, true, 200, 100},  // the second entry, not the third
      {{0x81, 0x00}, true, 0, 1 << 20},      // 0x81 is not active
      {{0x80}, false, 0, 1 << 20},           // no signature, no table
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = NumberedImage(1 << 20);
    std::vector<uint8_t> record = BootRecord(c.flags, {});
    if (!c.signed55AA) record[511] = 0;
    std::copy(record.begin(), record.end(), bytes.begin());
    AddImage("card.img", bytes);
    ASSERT_TRUE(media->OpenImage("card.img"));
    EXPECT_EQ(media->partitionStart, c.start);
    EXPECT_EQ(media->partitionLength, c.length);
    EXPECT_EQ(media->sectorCount, 2048u);  // always the file's own size
  }
  EXPECT_EQ(TraceLines().back(), "card.img opened, size=1048576");
}

TEST_F(MediaExtent, StorageDescriptorTexts) {
  auto drive = AddDrive('E', 4096);
  ASSERT_TRUE(media->OpenDrive('E'));
  struct Case {
    const char* vendor;
    const char* product;
    uint32_t bus;
    const char *wantVendor, *wantModel, *wantBus;
  };
  const Case cases[] = {
      {"Generic ", "USB  SD Reader   ", 7, "Generic", "USB  SD Reader", "USB"},
      {" Kingston", ".Card", 12, "", "", "Unknown"},
      {"", "9", 8, "", "9", "RAID"},
      {"SanDisk", "", 9, "SanDisk", "", "Unknown"},
  };
  for (const Case& c : cases) {
    drive->storage.vendorId = c.vendor;
    drive->storage.productId = c.product;
    drive->storage.busType = c.bus;
    std::string vendor, model, bus;
    ASSERT_TRUE(media->QueryStorageProperties(vendor, model, bus));
    EXPECT_EQ(vendor, c.wantVendor);
    EXPECT_EQ(model, c.wantModel);
    EXPECT_EQ(bus, c.wantBus);
  }
  EXPECT_EQ(TraceLines().back(), "Storage query property information: Vendor:SanDisk, Model:, Bus:Unknown, Serial=N/A");
  drive->storage.hasSerialNumber = true;
  drive->storage.serialNumber = "000123";
  std::string vendor, model, bus;
  ASSERT_TRUE(media->QueryStorageProperties(vendor, model, bus));
  EXPECT_EQ(TraceLines().back(), "Storage query property information: Vendor:SanDisk, Model:, Bus:Unknown, Serial=000123");

  drive->storageError = kErrorInvalidFunction;
  vendor = model = bus = "kept";
  EXPECT_FALSE(media->QueryStorageProperties(vendor, model, bus));
  EXPECT_EQ(vendor + model + bus, "keptkeptkept");
  media->Close();
  EXPECT_FALSE(media->QueryStorageProperties(vendor, model, bus));
}

TEST_F(MediaExtent, ChsToLbaUsesTheGeometryAsLastSet) {
  media->SetGeometry(255, 63);
  EXPECT_EQ(media->ChsToLba(0, 1, 1), 63u);
  EXPECT_EQ(media->ChsToLba(0xFF, 0xFE, 0xFF), 16450559u);
  media->SetGeometry(16, 0xFF);  // sectors per track keep their six bits
  EXPECT_EQ(media->geometry.sectorsPerTrack, 63u);
  EXPECT_EQ(media->geometry.tracksPerCylinder, 16u);
  EXPECT_EQ(media->ChsToLba(2, 3, 0x41), (((2u + 256u) * 16u + 3u) * 63u));
}
