// exFAT directory entries built byte by byte, for the cases mkfs.exfat and
// a file system driver never write: each set comes with its checksum, and
// can be sealed again after a test has changed it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ExfatSetSpec {
  std::u16string name = u"IMG_0001.JPG";
  uint16_t attributes = 0x20;
  uint32_t modified = 0x54642883;  // 2022-03-04 05:04:06
  uint8_t modifiedIncrement = 0;
  uint8_t modifiedOffset = 0;
  uint32_t firstCluster = 10;
  uint64_t dataLength = 5000;
  uint64_t validDataLength = 5000;
  uint8_t streamFlags = 3;
  uint32_t extraSecondaries = 0;  // vendor entries after the name
  bool deleted = false;
};

// The File entry, its stream and name entries, checksummed.
std::vector<uint8_t> ExfatSetBytes(const ExfatSetSpec& spec);
// Writes the checksum of the set at offset again.
void SealExfatSet(std::vector<uint8_t>& bytes, std::size_t offset = 0);
