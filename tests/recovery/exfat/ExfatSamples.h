// The exFAT images of scripts/make-samples.sh and what the exFAT tools say
// of them, a byte reader over an image held in memory, and the camera cards
// the whole-run suites read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ExfatBootRegion.h"

// One line of exfat-boot.txt: dump.exfat's boot sector fields and the label.
struct ExfatBootFacts {
  std::string image;
  uint64_t volumeLength = 0;
  uint32_t fatOffset = 0, fatLength = 0, heapOffset = 0, clusterCount = 0, rootCluster = 0, serial = 0;
  uint32_t sectorShift = 0, clusterShift = 0;
  std::string label;
};
std::vector<ExfatBootFacts> ExfatSampleFacts();

std::vector<uint8_t> ExfatSample(const std::string& name);

// The camera card, filled through exfat-fuse (only where a loop device and
// FUSE can be had) and by make-exfat.py: its manifest and the folder of the
// files put on it.
struct ExfatCameraCard {
  std::string label, image, manifest, files;
};
std::vector<ExfatCameraCard> ExfatCameraCards();

// Skips a card that this machine could not make.
class ExfatCard : public ::testing::TestWithParam<ExfatCameraCard> {
 protected:
  void SetUp() override;
};
// Fails any read that leaves the image.
ExfatByteReader ImageReader(const std::vector<uint8_t>& image);
