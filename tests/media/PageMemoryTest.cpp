#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "PageMemory.h"

TEST(PageMemory, GrowsInPlaceAndKeepsItsBytes) {
  PageMemory memory;
  ASSERT_TRUE(memory.Allocate(1 << 20, 8192));
  uint8_t* base = memory.data();
  EXPECT_EQ(reinterpret_cast<uintptr_t>(base) % kPageSize, 0u);
  EXPECT_EQ(memory.size(), 8192u);
  EXPECT_EQ(base[0] | base[8191], 0);
  std::memset(base, 0x5A, 8192);

  ASSERT_TRUE(memory.Grow(65536 + 1));
  EXPECT_EQ(memory.data(), base);
  EXPECT_EQ(memory.size(), 65536u + kPageSize);
  EXPECT_EQ(base[8191], 0x5A);
  EXPECT_EQ(base[8192], 0);
  EXPECT_TRUE(memory.Grow(100));  // never shrinks
  EXPECT_EQ(memory.size(), 65536u + kPageSize);
  EXPECT_FALSE(memory.Grow((1 << 20) + 1));

  EXPECT_FALSE(memory.Allocate(4096, 8192));
  EXPECT_EQ(memory.data(), nullptr);
  ASSERT_TRUE(memory.Allocate(4096, 1));
  EXPECT_EQ(memory.size(), kPageSize);
  memory.Release();
  EXPECT_EQ(memory.data(), nullptr);
  EXPECT_FALSE(memory.Grow(1));
}
