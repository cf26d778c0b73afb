// The exFAT images of scripts/make-samples.sh and what the exFAT tools say
// of them, and a byte reader over an image held in memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
// Fails any read that leaves the image.
ExfatByteReader ImageReader(const std::vector<uint8_t>& image);
