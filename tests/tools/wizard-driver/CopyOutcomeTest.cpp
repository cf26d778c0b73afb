#include "CopyOutcome.h"

#include <gtest/gtest.h>

TEST(CopyOutcome, ReadsTheCountOfBothPhrasings) {
  unsigned long count = 0;
  ASSERT_TRUE(ReadCopiedCount("1 file was copied to Z:\\tmp\\out", count));
  EXPECT_EQ(count, 1u);
  ASSERT_TRUE(ReadCopiedCount("16 files were copied to C:\\Users\\me\\Photos back", count));
  EXPECT_EQ(count, 16u);
  ASSERT_TRUE(ReadCopiedCount("0 files were copied to Z:\\x", count));
  EXPECT_EQ(count, 0u);
}

TEST(CopyOutcome, ReadsTheGermanModulesPhrasings) {
  unsigned long count = 0;
  ASSERT_TRUE(ReadCopiedCount("1 Datei wurde nach Z:\\tmp\\out kopiert.", count));
  EXPECT_EQ(count, 1u);
  ASSERT_TRUE(ReadCopiedCount("16 Dateien wurden nach C:\\Fotos kopiert.", count));
  EXPECT_EQ(count, 16u);
  EXPECT_FALSE(ReadCopiedCount("16 Dateien wurden nach ", count));
  EXPECT_FALSE(ReadCopiedCount("16 Dateien wurden kopiert.", count));
}

TEST(CopyOutcome, AnythingElseIsNoCopy) {
  unsigned long count = 7;
  for (const char* status : {"", "files were copied to Z:\\out", "16 files were copied to ", "16 files were copied",
                             " 16 files were copied to Z:\\out", "-3 files were copied to Z:\\out",
                             "16 files were not copied to Z:\\out", "16files were copied to Z:\\out",
                             "2 of 16 files were copied to Z:\\out", "The folder Z:\\out could not be made."})
    EXPECT_FALSE(ReadCopiedCount(status, count)) << status;
  EXPECT_EQ(count, 7u) << "a failed reading leaves the count alone";
}

TEST(CopyOutcome, ACountTooLargeIsNoCopy) {
  unsigned long count = 0;
  EXPECT_FALSE(ReadCopiedCount("99999999999999999999999999 files were copied to Z:\\out", count));
}

TEST(CopyOutcome, EveryFileOnlyWhenTheCountsAgree) {
  EXPECT_TRUE(CopyOfEveryFile("16 files were copied to Z:\\out", 16));
  EXPECT_FALSE(CopyOfEveryFile("15 files were copied to Z:\\out", 16));
  EXPECT_FALSE(CopyOfEveryFile("17 files were copied to Z:\\out", 16));
  EXPECT_FALSE(CopyOfEveryFile("Copying stopped: the disk is full.", 16));
}
