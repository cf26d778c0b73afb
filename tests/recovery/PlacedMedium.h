// An in-memory medium with files laid at chosen sectors among random bytes,
// opened through Media as a card image, and the sample files that real tools
// made for the suites (scripts/make-samples.sh, in ../samples).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Media.h"
#include "MemoryDevice.h"

std::vector<uint8_t> RandomBytes(std::size_t count, uint32_t seed);

// The bytes of a sample file; empty (with a test failure) when it is missing.
std::vector<uint8_t> SampleFile(const std::string& name);

class PlacedMedium {
 public:
  static constexpr uint32_t kSector = 512;

  // Random bytes (from seed) of the given number of sectors.
  explicit PlacedMedium(uint32_t sectors, uint32_t seed = 1);

  // Lays bytes at a sector; the medium grows to hold them.
  void Place(uint32_t sector, const std::vector<uint8_t>& bytes);
  void Zero(uint32_t firstSector, uint32_t sectors);

  // Opens the image; false when Media refuses it.
  bool Open();
  // Reads the window that the sector search reads before identifying.
  bool ReadWindow(uint32_t sector, uint32_t sectors = 12);

  std::vector<uint8_t> image;
  MemoryDeviceOpener devices;
  std::shared_ptr<MemoryMedium> medium;  // after Open
  std::unique_ptr<Media> media;          // after Open
};
