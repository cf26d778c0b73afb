#include "ExfatBuilder.h"

#include "ExfatEntrySet.h"

namespace {

void Put(std::vector<uint8_t>& bytes, std::size_t at, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> ExfatSetBytes(const ExfatSetSpec& spec) {
  const std::size_t nameEntries = (spec.name.size() + 14) / 15;
  const std::size_t entries = 2 + nameEntries + spec.extraSecondaries;
  std::vector<uint8_t> bytes(entries * exfat_entry::kBytes, 0);
  bytes[0] = exfat_entry::kFile;
  bytes[1] = static_cast<uint8_t>(entries - 1);
  Put(bytes, 4, spec.attributes, 2);
  for (std::size_t stamp : {8, 12, 16}) Put(bytes, stamp, spec.modified, 4);
  bytes[21] = spec.modifiedIncrement;
  bytes[23] = spec.modifiedOffset;
  bytes[32] = exfat_entry::kStreamExtension;
  bytes[33] = spec.streamFlags;
  bytes[35] = static_cast<uint8_t>(spec.name.size());
  Put(bytes, 40, spec.validDataLength, 8);
  Put(bytes, 52, spec.firstCluster, 4);
  Put(bytes, 56, spec.dataLength, 8);
  for (std::size_t e = 0; e < nameEntries; ++e) bytes[(2 + e) * 32] = exfat_entry::kFileName;
  for (std::size_t i = 0; i < spec.name.size(); ++i) Put(bytes, (2 + i / 15) * 32 + 2 + 2 * (i % 15), spec.name[i], 2);
  for (std::size_t e = 2 + nameEntries; e < entries; ++e) bytes[e * 32] = 0xE0;
  SealExfatSet(bytes);
  // Drivers clear the in-use bits and leave the checksum as it was.
  if (spec.deleted)
    for (std::size_t e = 0; e < entries; ++e) bytes[e * 32] &= static_cast<uint8_t>(~exfat_entry::kInUse);
  return bytes;
}

void SealExfatSet(std::vector<uint8_t>& bytes, std::size_t offset) {
  const SectorWindow window(bytes.data(), bytes.size());
  Put(bytes, offset + 2, ExfatSetChecksum(window, offset, 1u + bytes[offset + 1]), 2);
}
