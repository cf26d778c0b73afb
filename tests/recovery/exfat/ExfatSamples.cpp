#include "ExfatSamples.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "TestFiles.h"

std::vector<ExfatBootFacts> ExfatSampleFacts() {
  std::vector<ExfatBootFacts> facts;
  std::istringstream in(ReadWholeFile("../samples/exfat-boot.txt"));
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    ExfatBootFacts f;
    std::string serial;
    fields >> f.image >> f.volumeLength >> f.fatOffset >> f.fatLength >> f.heapOffset >> f.clusterCount >>
        f.rootCluster >> serial >> f.sectorShift >> f.clusterShift >> f.label;
    f.serial = static_cast<uint32_t>(std::stoul(serial, nullptr, 16));
    facts.push_back(f);
  }
  // The one of 4096-byte sectors needs a loop device.
  EXPECT_GE(facts.size(), 4u) << "scripts/make-samples.sh makes four exFAT images or five";
  return facts;
}

std::vector<uint8_t> ExfatSample(const std::string& name) {
  EXPECT_TRUE(FileExists("../samples/" + name)) << name;
  const std::string bytes = ReadWholeFile("../samples/" + name);
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

ExfatByteReader ImageReader(const std::vector<uint8_t>& image) {
  return [&image](uint64_t offset, uint32_t count, uint8_t* into) {
    if (offset > image.size() || count > image.size() - offset) return false;
    std::memcpy(into, image.data() + offset, count);
    return true;
  };
}

std::vector<ExfatCameraCard> ExfatCameraCards() {
  return {{"ExfatFuse", "exfat-camera.img", "exfat-camera-manifest.txt", "exfat-files"},
          {"MakeExfat", "exfat-built.img", "exfat-built-manifest.txt", "exfat-built-files"}};
}

void ExfatCard::SetUp() {
  UseScratchDocumentsFolder();
  if (!FileExists("../samples/" + GetParam().image)) GTEST_SKIP() << "no loop device or exfat-fuse here";
}
