#include "MediaTestSupport.h"

#include <cstring>
#include <sstream>

std::vector<uint8_t> NumberedImage(uint64_t bytes, uint32_t sectorSize) {
  std::vector<uint8_t> image(bytes);
  for (uint64_t i = 0; i < bytes; ++i) {
    uint64_t sector = i / sectorSize;
    uint64_t within = i % sectorSize;
    image[i] = within < 4 ? static_cast<uint8_t>(sector >> (8 * within)) : static_cast<uint8_t>(i * 7 + sector * 13 + 1);
  }
  return image;
}

std::vector<uint8_t> BootRecord(const std::vector<uint8_t>& bootFlags, const std::vector<uint8_t>& types) {
  std::vector<uint8_t> sector(512, 0);
  for (std::size_t i = 0; i < bootFlags.size() && i < 4; ++i) {
    uint8_t* entry = sector.data() + 446 + 16 * i;
    entry[0] = bootFlags[i];
    entry[4] = i < types.size() ? types[i] : 0x0C;
    uint32_t first = 100 * static_cast<uint32_t>(i + 1);
    uint32_t count = 50 * static_cast<uint32_t>(i + 1);
    for (int b = 0; b < 4; ++b) {
      entry[8 + b] = static_cast<uint8_t>(first >> (8 * b));
      entry[12 + b] = static_cast<uint8_t>(count >> (8 * b));
    }
  }
  sector[510] = 0x55;
  sector[511] = 0xAA;
  return sector;
}

PartitionEntry Partition(int64_t startSector, int64_t sectors, uint8_t type, uint32_t sectorSize) {
  PartitionEntry entry;
  entry.startingOffset = startSector * sectorSize;
  entry.length = sectors * sectorSize;
  entry.type = type;
  return entry;
}

std::vector<std::string> TraceLines() {
  std::istringstream in(ReadWholeFile(TraceFilePath()));
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void MediaTest::SetUp() {
  UseScratchDocumentsFolder();
  RemoveFile(TraceFilePath());
  media = std::make_unique<Media>(&devices, [this](const std::string& text) { warnings.push_back(text); });
}

std::shared_ptr<MemoryMedium> MediaTest::AddDrive(char letter, uint64_t bytes, uint32_t sectorSize) {
  return devices.Add(std::string("\\\\.\\") + letter + ":", NumberedImage(bytes, sectorSize), sectorSize);
}

std::shared_ptr<MemoryMedium> MediaTest::AddImage(const std::string& path, uint64_t bytes) {
  return AddImage(path, NumberedImage(bytes));
}

std::shared_ptr<MemoryMedium> MediaTest::AddImage(const std::string& path, std::vector<uint8_t> image) {
  auto medium = devices.Add(path, std::move(image));
  medium->BehaveAsFile();
  return medium;
}

std::vector<uint8_t> MediaTest::Sectors(const MemoryMedium& medium, uint64_t first, uint32_t count) {
  auto begin = medium.bytes.begin() + static_cast<std::ptrdiff_t>(first * medium.sectorSize);
  return std::vector<uint8_t>(begin, begin + static_cast<std::ptrdiff_t>(count) * medium.sectorSize);
}

::testing::AssertionResult MediaTest::BufferHolds(const MemoryMedium& medium, uint64_t first, uint32_t count) const {
  std::vector<uint8_t> expected = Sectors(medium, first, count);
  if (media->buffer == nullptr) return ::testing::AssertionFailure() << "no buffer";
  if (std::memcmp(media->buffer, expected.data(), expected.size()) != 0)
    return ::testing::AssertionFailure() << "buffer does not hold sectors " << first << ".." << first + count - 1;
  return ::testing::AssertionSuccess();
}
