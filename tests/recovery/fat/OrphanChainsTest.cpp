// Chains that no directory entry starts any more.
#include <gtest/gtest.h>

#include "FatBuilder.h"
#include "RunHarness.h"
#include "TestFiles.h"

namespace {

class OrphanChainsTest : public ::testing::Test {
 protected:
  void SetUp() override { UseScratchDocumentsFolder(); }

  // The walk and the orphan scan, without the sector search.
  RunHarness& Scan() {
    harness.reset(new RunHarness(volume.image));
    harness->run->options.forceIntensive = true;
    harness->run->options.suppressIntensive = true;
    EXPECT_TRUE(harness->Run());
    return *harness;
  }

  FatBuilder volume{FatKind::kFat16, 4200, 2};
  std::unique_ptr<RunHarness> harness;
};

}  // namespace

TEST_F(OrphanChainsTest, AChainOfAPhotoBecomesARecordOfItsWholeClusters) {
  std::vector<uint8_t> photo = SampleFile("progressive.jpg");  // 36 clusters of 1024 bytes
  std::copy(photo.begin(), photo.end(), volume.cluster(100));
  std::vector<uint32_t> clusters;
  for (uint32_t c = 100; c < 136; ++c) clusters.push_back(c);
  volume.chain(clusters);
  volume.chain({200, 201});  // of nothing known
  volume.chain({300});       // one cluster of nothing known: not a chain
  volume.addFile(0, {"LIVE    BIN", 0x20, 400, 3000}, std::vector<uint8_t>(3000, 'x'));
  Scan();
  const File* record = harness->Find("\\REC00001.jpg");
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->size, 36u * 1024);
  EXPECT_TRUE(record->isPicture);
  EXPECT_TRUE(std::equal(photo.begin(), photo.end(), harness->Data(*record).begin()));
  EXPECT_NE(harness->Find("\\REC00002.---"), nullptr);
  EXPECT_EQ(harness->Records().size(), 3u);  // the live file's chain is its own
}

TEST_F(OrphanChainsTest, OrphansThatLoopOrCrossOthersEnd) {
  volume.setFat(100, 101);
  volume.setFat(101, 102);
  volume.setFat(102, 100);  // a circle: every cluster is a successor, none starts it
  volume.setFat(200, 201);
  volume.setFat(201, 202);
  volume.setFat(210, 201);  // joins the chain from 200
  volume.setFat(202, volume.endMark());
  Scan();
  EXPECT_EQ(harness->Records().size(), 2u);
  EXPECT_TRUE(harness->Logged("\\REC00002.---: its data is used by another file"));
}
