#include "MasterBootRecord.h"

namespace {

constexpr uint32_t kFirstEntry = 446;
constexpr uint32_t kEntryBytes = 16;

}  // namespace

bool HasBootSignature(const uint8_t* sector) { return sector[510] == 0x55 && sector[511] == 0xAA; }

BootRecordEntry ReadBootRecordEntry(const uint8_t* sector, int index) {
  const uint8_t* entry = sector + kFirstEntry + kEntryBytes * static_cast<uint32_t>(index);
  BootRecordEntry result;
  result.bootFlag = entry[0];
  result.startHead = entry[1];
  result.startSector = entry[2];
  result.startCylinder = entry[3];
  result.type = entry[4];
  result.endHead = entry[5];
  result.endSector = entry[6];
  result.firstSector = LittleEndian32(entry + 8);
  result.sectorCount = LittleEndian32(entry + 12);
  return result;
}

bool LayoutFromBootRecord(const uint8_t* sector, uint32_t sectorSize, std::vector<PartitionEntry>& entries) {
  if (!HasBootSignature(sector)) return false;
  std::vector<PartitionEntry> table;
  for (int i = 0; i < kBootRecordEntries; ++i) {
    BootRecordEntry entry = ReadBootRecordEntry(sector, i);
    if (entry.bootFlag != 0x00 && entry.bootFlag != 0x80) return false;
    PartitionEntry partition;
    partition.startingOffset = static_cast<int64_t>(entry.firstSector) * sectorSize;
    partition.length = static_cast<int64_t>(entry.sectorCount) * sectorSize;
    partition.type = entry.type;
    partition.bootIndicator = entry.bootFlag == 0x80;
    table.push_back(partition);
  }
  entries = table;
  return true;
}
