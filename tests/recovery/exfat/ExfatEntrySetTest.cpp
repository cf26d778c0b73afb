// exFAT directory entries: the root directory and camera folder of a
// mkfs.exfat image written by exfat-fuse, and entry sets built byte by byte
// that are deleted, carry other time zones, or are damaged.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <sstream>

#include "ExfatBuilder.h"
#include "ExfatEntrySet.h"
#include "ExfatSamples.h"
#include "FileTime.h"
#include "TestFiles.h"

namespace {

uint64_t Stamp(int year, int month, int day, int hour, int minute, int second, int millisecond = 0) {
  CalendarTime time;
  time.year = year, time.month = month, time.day = day;
  time.hour = hour, time.minute = minute, time.second = second, time.millisecond = millisecond;
  uint64_t stamp = 0;
  EXPECT_TRUE(CalendarToFileTime(time, stamp));
  return stamp;
}

// The directory whose data begins at cluster first and is length bytes long,
// its clusters in a row (as exfat-fuse writes small directories).
SectorWindow Directory(const std::vector<uint8_t>& image, const ExfatBootSector& boot, uint32_t first,
                       uint64_t length) {
  const uint64_t at = boot.clusterSector(first) * boot.bytesPerSector();
  EXPECT_LE(at + length, image.size());
  return SectorWindow(image.data() + at, at + length <= image.size() ? length : 0);
}

// The sets of a directory, in order, and its label and bitmap entries.
struct Listing {
  std::vector<ExfatFileSet> sets;
  std::vector<ExfatLabelEntry> labels;
  std::vector<ExfatBitmapEntry> bitmaps;
};
Listing List(const SectorWindow& dir) {
  Listing listing;
  for (uint64_t at = 0; dir.has(at, exfat_entry::kBytes) && dir.u8(at) != exfat_entry::kEndOfDirectory;) {
    ExfatFileSet set;
    const uint8_t type = dir.u8(at);
    if (type == exfat_entry::kVolumeLabel) listing.labels.push_back(ExfatLabelEntry::FromBytes(dir, at));
    if (type == exfat_entry::kAllocationBitmap) listing.bitmaps.push_back(ExfatBitmapEntry::FromBytes(dir, at));
    const bool parsed = ParseExfatFileSet(dir, at, set) == ExfatSetFault::kNone;
    if (parsed) listing.sets.push_back(set);
    at += parsed ? set.entries * uint64_t{exfat_entry::kBytes} : exfat_entry::kBytes;
  }
  return listing;
}

const ExfatFileSet* Named(const Listing& listing, const std::u16string& name) {
  for (const ExfatFileSet& set : listing.sets)
    if (set.name == name) return &set;
  return nullptr;
}

ExfatSetFault Parse(const std::vector<uint8_t>& bytes, ExfatFileSet& set) {
  return ParseExfatFileSet(SectorWindow(bytes.data(), bytes.size()), 0, set);
}

}  // namespace

TEST(ExfatEntrySetTest, RootDirectoriesHoldTheLabelAndTheBitmap) {
  for (const ExfatBootFacts& f : ExfatSampleFacts()) {
    SCOPED_TRACE(f.image);
    const std::vector<uint8_t> image = ExfatSample(f.image);
    const ExfatBootSector boot = ReadExfatBootRegion(ImageReader(image), 0, image.size()).boot;
    const Listing root = List(Directory(image, boot, boot.rootCluster, boot.bytesPerCluster()));
    ASSERT_EQ(root.labels.size(), 1u);
    EXPECT_EQ(root.labels[0].label, std::u16string(f.label.begin(), f.label.end()));
    ASSERT_EQ(root.bitmaps.size(), 1u);
    EXPECT_EQ(root.bitmaps[0].firstCluster, 2u);
    EXPECT_EQ(root.bitmaps[0].dataLength, (f.clusterCount + 7) / 8);
  }
}

TEST(ExfatEntrySetTest, CameraFolderAsExfatFuseWroteIt) {
  std::istringstream manifest(ReadWholeFile("../samples/exfat-manifest.txt"));
  if (manifest.str().empty()) GTEST_SKIP() << "no loop device or exfat-fuse: the image holds no files";
  const std::vector<uint8_t> image = ExfatSample("exfat.img");
  const ExfatBootSector boot = ReadExfatBootRegion(ImageReader(image), 0, image.size()).boot;
  const Listing root = List(Directory(image, boot, boot.rootCluster, boot.bytesPerCluster()));
  const ExfatFileSet* dcim = Named(root, u"DCIM");
  ASSERT_NE(dcim, nullptr);
  ASSERT_TRUE(dcim->isDirectory());
  const Listing dcimFolder = List(Directory(image, boot, dcim->firstCluster, dcim->dataLength));
  const ExfatFileSet* canon = Named(dcimFolder, u"100CANON");
  ASSERT_NE(canon, nullptr);
  const Listing folder = List(Directory(image, boot, canon->firstCluster, canon->dataLength));
  const SectorWindow bitmap = Directory(image, boot, root.bitmaps.at(0).firstCluster, root.bitmaps.at(0).dataLength);
  uint32_t count = 0;
  for (std::string line; std::getline(manifest, line); ++count) {
    char state[16] = {}, path[256] = {};
    uint64_t size = 0;
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%15[^|]|DCIM/100CANON/%255[^|]|%" SCNu64 "|%d-%d-%d %d:%d:%d", state, path,
                          &size, &y, &mo, &d, &h, &mi, &s),
              9)
        << line;
    const std::string name = path;
    const ExfatFileSet* file = Named(folder, std::u16string(name.begin(), name.end()));
    ASSERT_NE(file, nullptr) << name;
    EXPECT_EQ(file->deleted, std::string(state) == "deleted") << name;
    EXPECT_EQ(file->dataLength, size) << name;
    EXPECT_EQ(file->validDataLength, size) << name;
    EXPECT_EQ(file->modified, Stamp(y, mo, d, h, mi, s)) << name;
    EXPECT_TRUE(file->noFatChain()) << name;
    // A live file's first cluster is one the bitmap marks in use.
    const uint32_t bit = file->firstCluster - 2;
    ASSERT_LT(file->firstCluster - 2, boot.clusterCount) << name;
    if (!file->deleted) {
      EXPECT_NE(bitmap.u8(bit / 8) & (1 << (bit % 8)), 0) << name;
    }
  }
  EXPECT_EQ(folder.sets.size(), count);
}

TEST(ExfatEntrySetTest, DeletedSetsAndTimesParse) {
  ExfatSetSpec spec;
  spec.deleted = true;
  spec.name = std::u16string(255, u'x');  // 17 name entries: 18 secondaries, the most
  spec.modifiedIncrement = 150;
  spec.modifiedOffset = 0x80 | 0x70;  // valid, -16 steps: UTC-4
  ExfatFileSet set;
  ASSERT_EQ(Parse(ExfatSetBytes(spec), set), ExfatSetFault::kNone);
  EXPECT_TRUE(set.deleted);
  EXPECT_EQ(set.entries, 19u);
  EXPECT_EQ(set.name, spec.name);
  EXPECT_EQ(set.firstCluster, 10u);
  EXPECT_EQ(set.dataLength, 5000u);
  EXPECT_EQ(set.modified, Stamp(2022, 3, 4, 5, 4, 7, 500));  // the camera's own clock
  EXPECT_EQ(set.created, Stamp(2022, 3, 4, 5, 4, 6));
  // A driver that seals the set again as it deletes it.
  std::vector<uint8_t> resealed = ExfatSetBytes(spec);
  SealExfatSet(resealed);
  ASSERT_EQ(Parse(resealed, set), ExfatSetFault::kNone);
  EXPECT_TRUE(set.deleted);

  spec = ExfatSetSpec();
  spec.modifiedOffset = 0x80 | 0x26;  // UTC+9:30
  spec.extraSecondaries = 2;          // vendor entries after the name
  ASSERT_EQ(Parse(ExfatSetBytes(spec), set), ExfatSetFault::kNone);
  EXPECT_FALSE(set.deleted);
  EXPECT_EQ(set.modified, Stamp(2022, 3, 4, 5, 4, 6));
  spec.modified = 0x55A42883;  // the 13th month
  ASSERT_EQ(Parse(ExfatSetBytes(spec), set), ExfatSetFault::kNone);
  EXPECT_EQ(set.modified, 0u);
}

TEST(ExfatEntrySetTest, DamagedSetsAreRefused) {
  const std::vector<uint8_t> sound = ExfatSetBytes(ExfatSetSpec());
  struct Damage {
    const char* what;
    void (*make)(std::vector<uint8_t>&);
    ExfatSetFault fault;
  };
  const Damage damages[] = {
      {"a name unit changed", [](std::vector<uint8_t>& b) { b[66] ^= 1; }, ExfatSetFault::kChecksum},
      {"a primary entry", [](std::vector<uint8_t>& b) { b[0] = exfat_entry::kVolumeLabel; }, ExfatSetFault::kNotAFile},
      {"one secondary", [](std::vector<uint8_t>& b) { b[1] = 1; }, ExfatSetFault::kSecondaryCount},
      {"19 secondaries", [](std::vector<uint8_t>& b) { b[1] = 19; }, ExfatSetFault::kSecondaryCount},
      {"more secondaries than the window", [](std::vector<uint8_t>& b) { b[1] = 3; }, ExfatSetFault::kRunsPast},
      {"a name of 16 units in one entry", [](std::vector<uint8_t>& b) { b[35] = 16; }, ExfatSetFault::kNameEntries},
      {"an empty name", [](std::vector<uint8_t>& b) { b[35] = 0; }, ExfatSetFault::kNameLength},
      {"no stream", [](std::vector<uint8_t>& b) { b[32] = exfat_entry::kFileName; }, ExfatSetFault::kNoStream},
      {"a deleted name entry", [](std::vector<uint8_t>& b) { b[64] = 0x41; }, ExfatSetFault::kMixedState},
      {"a primary inside", [](std::vector<uint8_t>& b) { b[64] = 0x85; }, ExfatSetFault::kNotSecondary},
      {"valid data past the data", [](std::vector<uint8_t>& b) { b[47] = 1; }, ExfatSetFault::kValidLength},
  };
  for (const Damage& d : damages) {
    std::vector<uint8_t> bytes = sound;
    d.make(bytes);
    if (d.fault != ExfatSetFault::kChecksum) SealExfatSet(bytes);
    ExfatFileSet set;
    set.name = u"untouched";
    const ExfatSetFault fault = Parse(bytes, set);
    EXPECT_EQ(fault, d.fault) << d.what << ": " << ExfatSetFaultName(fault);
    EXPECT_EQ(set.name, u"untouched") << d.what;
  }
  ExfatSetSpec deleted;
  deleted.deleted = true;
  std::vector<uint8_t> changed = ExfatSetBytes(deleted);
  changed[66] ^= 1;
  ExfatFileSet set;
  EXPECT_EQ(Parse(changed, set), ExfatSetFault::kChecksum);
  // The last entry of a set that the window cuts off.
  EXPECT_EQ(ParseExfatFileSet(SectorWindow(sound.data(), sound.size() - 1), 0, set), ExfatSetFault::kRunsPast);
}
