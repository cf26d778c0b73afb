// What the sector source suites share: in-memory media made to order, the
// trace of the test, and the warnings Media shows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Media.h"
#include "MemoryDevice.h"
#include "ReadAheadDevice.h"
#include "TestFiles.h"
#include "Trace.h"

// Every byte tells where it stands, so a byte in the wrong place shows: the
// sector number in the first four bytes, then a pattern of the offset.
std::vector<uint8_t> NumberedImage(uint64_t bytes, uint32_t sectorSize = 512);

// Sector 0 with 55 AA and the given boot flags and types in its four
// entries; entry i starts at sector 100 * (i + 1) and has 50 * (i + 1) sectors.
std::vector<uint8_t> BootRecord(const std::vector<uint8_t>& bootFlags, const std::vector<uint8_t>& types);

PartitionEntry Partition(int64_t startSector, int64_t sectors, uint8_t type, uint32_t sectorSize = 512);

// The trace lines written since the fixture started, without CR LF.
std::vector<std::string> TraceLines();

// A Media over an in-memory opener, whose warnings are kept.
class MediaTest : public ::testing::Test {
 protected:
  void SetUp() override;

  std::shared_ptr<MemoryMedium> AddDrive(char letter, uint64_t bytes, uint32_t sectorSize = 512);
  std::shared_ptr<MemoryMedium> AddImage(const std::string& path, uint64_t bytes);
  std::shared_ptr<MemoryMedium> AddImage(const std::string& path, std::vector<uint8_t> image);

  // The bytes of sectors [first, first + count) of a medium.
  static std::vector<uint8_t> Sectors(const MemoryMedium& medium, uint64_t first, uint32_t count);
  // Whether Media's buffer starts with exactly those sectors.
  ::testing::AssertionResult BufferHolds(const MemoryMedium& medium, uint64_t first, uint32_t count) const;

  MemoryDeviceOpener devices;
  std::vector<std::string> warnings;
  std::unique_ptr<Media> media;
};
