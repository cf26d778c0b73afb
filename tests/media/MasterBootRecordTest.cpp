#include <gtest/gtest.h>

#include <vector>

#include "MasterBootRecord.h"
#include "MediaTestSupport.h"

TEST(MasterBootRecord, EntriesAreLittleEndianAndBounded) {
  std::vector<uint8_t> sector = BootRecord({0x00, 0x80, 0x00, 0x00}, {0x00, 0x0C, 0x83, 0x07});
  sector[446 + 48 + 8] = 0xFF;  // the fourth entry starts at 0xFFFFFFFF
  sector[446 + 48 + 9] = 0xFF;
  sector[446 + 48 + 10] = 0xFF;
  sector[446 + 48 + 11] = 0xFF;
  BootRecordEntry second = ReadBootRecordEntry(sector.data(), 1);
  EXPECT_EQ(second.bootFlag, 0x80);
  EXPECT_EQ(second.type, 0x0C);
  EXPECT_EQ(second.firstSector, 200u);
  EXPECT_EQ(second.sectorCount, 100u);

  std::vector<PartitionEntry> table;
  ASSERT_TRUE(LayoutFromBootRecord(sector.data(), 4096, table));
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[1].startingOffset, 200 * 4096);
  EXPECT_EQ(table[1].length, 100 * 4096);
  EXPECT_TRUE(table[1].bootIndicator);
  EXPECT_EQ(table[3].startingOffset, int64_t{0xFFFFFFFF} * 4096);
  EXPECT_EQ(table[3].type, 0x07);

  // A FAT boot sector also ends in 55 AA, but its bytes make no boot flags.
  sector[446] = 0x81;
  EXPECT_FALSE(LayoutFromBootRecord(sector.data(), 512, table));
  sector[446] = 0x00;
  sector[510] = 0;
  EXPECT_FALSE(LayoutFromBootRecord(sector.data(), 512, table));
  EXPECT_EQ(table.size(), 4u);  // left as it was
}
