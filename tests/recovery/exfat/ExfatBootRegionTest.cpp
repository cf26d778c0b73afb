// The exFAT boot region of mkfs.exfat images: its fields as dump.exfat reads
// them, its checksum, the backup when the main region is damaged, and
// boot sectors whose fields would lead a reader off the volume or the medium.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "ExfatSamples.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "SectorWindow.h"
#include "TestFiles.h"

namespace {

constexpr uint32_t kSector = 512;

ExfatBootRegion Read(const std::vector<uint8_t>& image, uint64_t start = 0) {
  return ReadExfatBootRegion(ImageReader(image), start, image.size());
}

}  // namespace

TEST(ExfatBootRegionTest, ReadsWhatDumpExfatReads) {
  for (const ExfatBootFacts& f : ExfatSampleFacts()) {
    SCOPED_TRACE(f.image);
    const std::vector<uint8_t> image = ExfatSample(f.image);
    const ExfatBootRegion region = Read(image);
    ASSERT_EQ(region.used, ExfatBootCopy::kMain) << ExfatBootFaultName(region.mainFault);
    const ExfatBootSector& b = region.boot;
    EXPECT_EQ(b.volumeLength, f.volumeLength);
    EXPECT_EQ(b.fatOffset, f.fatOffset);
    EXPECT_EQ(b.fatLength, f.fatLength);
    EXPECT_EQ(b.clusterHeapOffset, f.heapOffset);
    EXPECT_EQ(b.clusterCount, f.clusterCount);
    EXPECT_EQ(b.rootCluster, f.rootCluster);
    EXPECT_EQ(b.volumeSerial, f.serial);
    EXPECT_EQ(b.bytesPerSectorShift, f.sectorShift);
    EXPECT_EQ(b.sectorsPerClusterShift, f.clusterShift);
    EXPECT_EQ(b.numberOfFats, 1);
    EXPECT_EQ(b.revision, 0x0100);
    // The backup region repeats the checksum.
    const uint32_t bytes = b.bytesPerSector();
    const SectorWindow backup(image.data() + 12 * bytes, 12 * bytes);
    EXPECT_EQ(region.checksum, backup.le32(11 * bytes));
    EXPECT_EQ(ExfatBootChecksum(backup.data(), bytes), region.checksum);
  }
}

TEST(ExfatBootRegionTest, DamagedMainRegionFallsBackToTheBackup) {
  const std::vector<uint8_t> sound = ExfatSample("exfat.img");
  struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> make;
    ExfatBootFault fault;
  };
  const Damage damages[] = {
      {"a boot code byte", [](std::vector<uint8_t>& i) { i[200] ^= 1; }, ExfatBootFault::kChecksum},
      {"an extended boot sector", [](std::vector<uint8_t>& i) { i[3 * kSector + 7] ^= 1; }, ExfatBootFault::kChecksum},
      {"the checksum sector", [](std::vector<uint8_t>& i) { i[11 * kSector + 300] ^= 1; }, ExfatBootFault::kChecksum},
      {"the sector shift", [](std::vector<uint8_t>& i) { i[108] = 13; }, ExfatBootFault::kSectorShift},
      {"a wiped region", [](std::vector<uint8_t>& i) { std::fill(i.begin(), i.begin() + 12 * kSector, 0); },
       ExfatBootFault::kNoName},
  };
  for (const Damage& d : damages) {
    SCOPED_TRACE(d.what);
    std::vector<uint8_t> image = sound;
    d.make(image);
    const ExfatBootRegion region = Read(image);
    EXPECT_EQ(region.used, ExfatBootCopy::kBackup);
    EXPECT_EQ(region.mainFault, d.fault);
    EXPECT_EQ(region.boot.clusterCount, Read(sound).boot.clusterCount);
  }
  // With 4096-byte sectors the backup lies 48 KiB on.
  if (FileExists("../samples/exfat-4k.img")) {
    std::vector<uint8_t> large = ExfatSample("exfat-4k.img");
    std::fill(large.begin(), large.begin() + kSector, 0);
    const ExfatBootRegion region = Read(large);
    EXPECT_EQ(region.used, ExfatBootCopy::kBackup);
    EXPECT_EQ(region.boot.bytesPerSector(), 4096u);
  }

  // The flags and the use percentage change in place: the checksum skips them.
  std::vector<uint8_t> dirty = sound;
  dirty[106] |= 2;
  dirty[112] = 40;
  EXPECT_EQ(Read(dirty).used, ExfatBootCopy::kMain);
  EXPECT_TRUE(Read(dirty).boot.volumeDirty());

  std::vector<uint8_t> both = sound;
  both[200] ^= 1;
  both[12 * kSector + 200] ^= 1;
  const ExfatBootRegion none = Read(both);
  EXPECT_EQ(none.used, ExfatBootCopy::kNone);
  EXPECT_EQ(none.mainFault, ExfatBootFault::kChecksum);
  EXPECT_EQ(none.backupFault, ExfatBootFault::kChecksum);
}

TEST(ExfatBootRegionTest, FoundInsideAPartitionAndThroughMedia) {
  const std::vector<uint8_t> volume = ExfatSample("exfat-8m.img");
  const uint64_t start = 2048 * kSector;
  std::vector<uint8_t> card(start + volume.size(), 0);
  std::copy(volume.begin(), volume.end(), card.begin() + static_cast<std::ptrdiff_t>(start));
  EXPECT_EQ(Read(card, start).used, ExfatBootCopy::kMain);

  MemoryDeviceOpener devices;
  devices.Add("card.img", card);
  Media media(&devices);
  ASSERT_TRUE(media.OpenImage("card.img"));
  const uint64_t bytes = media.sectorCount * media.openedSectorSize;
  const ExfatBootRegion region = ReadExfatBootRegion(MediaByteReader(media), start, bytes);
  EXPECT_EQ(region.used, ExfatBootCopy::kMain);
  EXPECT_EQ(region.checksum, Read(card, start).checksum);

  // A medium that ends inside the volume's FAT holds no usable volume.
  card.resize(start + 2100 * kSector);
  const ExfatBootRegion cut = Read(card, start);
  EXPECT_EQ(cut.used, ExfatBootCopy::kNone);
  EXPECT_EQ(cut.mainFault, ExfatBootFault::kFatOutside);
  EXPECT_EQ(Read(card, card.size() - 100).mainFault, ExfatBootFault::kUnreadable);
}

TEST(ExfatBootRegionTest, HostileFieldsAreRefused) {
  const std::vector<uint8_t> image = ExfatSample("exfat.img");
  const uint64_t medium = image.size() / kSector;
  struct Poke {
    uint32_t at, width;
    uint64_t value;
  };
  struct Hostile {
    const char* what;
    std::vector<Poke> pokes;
    ExfatBootFault fault;
  };
  // exfat.img: FAT at 2048 (32 sectors), heap at 4096, 3584 clusters of 8 sectors.
  const Hostile cases[] = {
      {"sound", {}, ExfatBootFault::kNone},
      {"the last cluster as root", {{96, 4, 3585}}, ExfatBootFault::kNone},
      {"sectors of 256 bytes", {{108, 1, 8}}, ExfatBootFault::kSectorShift},
      {"sectors of 8 KiB", {{108, 1, 13}}, ExfatBootFault::kSectorShift},
      {"clusters of 64 MiB", {{109, 1, 17}}, ExfatBootFault::kClusterShift},
      {"a cluster shift of 255", {{109, 1, 255}}, ExfatBootFault::kClusterShift},
      {"no FAT", {{110, 1, 0}}, ExfatBootFault::kFatCount},
      {"three FATs", {{110, 1, 3}}, ExfatBootFault::kFatCount},
      {"FAT over the boot regions", {{80, 4, 12}}, ExfatBootFault::kFatOutside},
      {"FAT past the medium", {{80, 4, 0xFFFFFFF0}}, ExfatBootFault::kFatOutside},
      {"two FATs of 2^32 sectors", {{110, 1, 2}, {84, 4, 0xFFFFFFFF}}, ExfatBootFault::kFatOutside},
      {"heap over the FAT", {{88, 4, 2049}}, ExfatBootFault::kHeapOutside},
      {"heap past the medium", {{88, 4, 0xFFFFFFFF}}, ExfatBootFault::kHeapOutside},
      {"no cluster", {{92, 4, 0}}, ExfatBootFault::kClusterCount},
      {"2^32 clusters", {{92, 4, 0xFFFFFFFF}}, ExfatBootFault::kClusterCount},
      {"one cluster more than the heap", {{92, 4, 3585}}, ExfatBootFault::kClusterCount},
      {"2^64 sectors, more clusters than the FAT",
       {{72, 8, UINT64_MAX}, {92, 4, 0xFFFFFFF0}},
       ExfatBootFault::kClusterCount},
      {"2^64 sectors, a heap past the medium",
       {{72, 8, UINT64_MAX}, {84, 4, 8192}, {88, 4, 10240}, {92, 4, 100000}},
       ExfatBootFault::kHeapOutside},
      {"root cluster 1", {{96, 4, 1}}, ExfatBootFault::kRootCluster},
      {"root cluster past the heap", {{96, 4, 3586}}, ExfatBootFault::kRootCluster},
      {"FAT parameters left", {{11, 2, 512}}, ExfatBootFault::kNotZeroed},
      {"no signature", {{510, 2, 0}}, ExfatBootFault::kNoSignature},
  };
  for (const Hostile& h : cases) {
    std::vector<uint8_t> sector(image.begin(), image.begin() + kSector);
    for (const Poke& p : h.pokes)
      for (uint32_t i = 0; i < p.width; ++i) sector[p.at + i] = static_cast<uint8_t>(p.value >> (8 * i));
    const ExfatBootFault fault = ExfatBootSector::FromBytes(sector.data()).check(medium);
    EXPECT_EQ(fault, h.fault) << h.what << ": " << ExfatBootFaultName(fault);
  }
  // The medium must hold the whole heap.
  EXPECT_EQ(ExfatBootSector::FromBytes(image.data()).check(medium - 1), ExfatBootFault::kHeapOutside);
}
