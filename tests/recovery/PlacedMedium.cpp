#include "PlacedMedium.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>

#include "TestFiles.h"

std::vector<uint8_t> RandomBytes(std::size_t count, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(count);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

std::vector<uint8_t> SampleFile(const std::string& name) {
  // In one read: the card images are tens of megabytes.
  std::ifstream in("../samples/" + name, std::ios::binary | std::ios::ate);
  std::vector<uint8_t> bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  EXPECT_FALSE(bytes.empty()) << "missing sample " << name << ": run scripts/make-samples.sh BUILD_DIR/samples";
  return bytes;
}

PlacedMedium::PlacedMedium(uint32_t sectors, uint32_t seed) : image(RandomBytes(sectors * std::size_t(kSector), seed)) {}

void PlacedMedium::Place(uint32_t sector, const std::vector<uint8_t>& bytes) {
  std::size_t at = static_cast<std::size_t>(sector) * kSector;
  std::size_t end = (at + bytes.size() + kSector - 1) / kSector * kSector;
  if (image.size() < end) image.resize(end);
  std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

void PlacedMedium::Zero(uint32_t firstSector, uint32_t sectors) {
  std::size_t at = static_cast<std::size_t>(firstSector) * kSector;
  std::size_t end = std::min(image.size(), at + static_cast<std::size_t>(sectors) * kSector);
  if (at < end) std::fill(image.begin() + static_cast<std::ptrdiff_t>(at), image.begin() + static_cast<std::ptrdiff_t>(end), 0);
}

bool PlacedMedium::Open() {
  UseScratchDocumentsFolder();
  medium = devices.Add("card.img", image);
  media.reset(new Media(&devices));
  return media->OpenImage("card.img");
}

bool PlacedMedium::ReadWindow(uint32_t sector, uint32_t sectors) { return media->ReadSectors(sector, sectors); }
