#include "FatBuilder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kRootEntries = 512;
constexpr uint32_t kRootSectors = kRootEntries * 32 / FatBuilder::kSector;

void Put16(uint8_t* at, uint32_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* at, uint32_t value) {
  Put16(at, value & 0xFFFF);
  Put16(at + 2, value >> 16);
}

uint32_t FatBytes(FatKind kind, uint32_t entries) {
  if (kind == FatKind::kFat12) return (entries * 3 + 1) / 2;
  return entries * (kind == FatKind::kFat16 ? 2 : 4);
}

uint8_t LongNameChecksum(const std::string& name) {
  uint8_t sum = 0;
  for (char c : name) sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(c));
  return sum;
}

}  // namespace

FatBuilder::FatBuilder(FatKind fatKind, uint32_t clusters, uint32_t spc, uint32_t bootAt)
    : kind(fatKind), at(bootAt), sectorsPerCluster(spc) {
  fatSectors = (FatBytes(kind, clusters + 2) + kSector - 1) / kSector;
  const bool fat32 = kind == FatKind::kFat32;
  const uint32_t rootSectors = fat32 ? 0 : kRootSectors;
  firstDataSector = at + 1 + 2 * fatSectors + rootSectors;
  const uint32_t total = firstDataSector - at + clusters * spc;
  image.assign(static_cast<std::size_t>(at + total + 32) * kSector, 0);  // room for the tail probes

  uint8_t* b = boot();
  b[0] = 0xEB;
  b[1] = 0x3C;
  b[2] = 0x90;
  std::memcpy(b + 3, "VANTREL ", 8);
  Put16(b + 11, kSector);
  b[13] = static_cast<uint8_t>(spc);
  Put16(b + 14, 1);
  b[16] = 2;
  Put16(b + 17, fat32 ? 0 : kRootEntries);
  if (total < 0x10000) Put16(b + 19, total); else Put32(b + 32, total);
  b[21] = 0xF8;
  Put16(b + 22, fat32 ? 0 : fatSectors);
  Put16(b + 24, 63);
  Put16(b + 26, 255);
  Put32(b + 28, at);
  if (fat32) {
    Put32(b + 36, fatSectors);
    Put32(b + 44, 2);
    std::memcpy(b + 82, "FAT32   ", 8);
  }
  b[510] = 0x55;
  b[511] = 0xAA;
  setFat(0, 0x0FFFFFF8);
  setFat(1, 0x0FFFFFFF);
  if (fat32) setFat(2, endMark());
}

uint32_t FatBuilder::endMark() const {
  return kind == FatKind::kFat12 ? 0xFFF : kind == FatKind::kFat16 ? 0xFFFF : 0x0FFFFFFF;
}

uint8_t* FatBuilder::cluster(uint32_t c) { return &image[static_cast<std::size_t>(clusterSector(c)) * kSector]; }

void FatBuilder::setFat(uint32_t c, uint32_t value) {
  for (uint32_t copy = 0; copy < 2; ++copy) {
    uint8_t* fat = &image[static_cast<std::size_t>(at + 1 + copy * fatSectors) * kSector];
    if (kind == FatKind::kFat12) {
      uint8_t* word = fat + c * 3 / 2;
      uint32_t old = word[0] | word[1] << 8;
      uint32_t v = value & 0xFFF;
      Put16(word, (c & 1) != 0 ? (old & 0x000F) | v << 4 : (old & 0xF000) | v);
    } else if (kind == FatKind::kFat16) {
      Put16(fat + c * 2, value);
    } else {
      Put32(fat + c * 4, value);
    }
  }
}

void FatBuilder::chain(const std::vector<uint32_t>& clusters) {
  for (std::size_t i = 0; i < clusters.size(); ++i)
    setFat(clusters[i], i + 1 < clusters.size() ? clusters[i + 1] : endMark());
}

uint8_t* FatBuilder::directoryStart(uint32_t directory) {
  if (directory == 0 && kind != FatKind::kFat32)
    return &image[static_cast<std::size_t>(at + 1 + 2 * fatSectors) * kSector];
  return cluster(directory == 0 ? 2 : directory);
}

std::size_t& FatBuilder::used(uint32_t directory) {
  for (auto& entry : used_)
    if (entry.first == directory) return entry.second;
  used_.push_back({directory, 0});
  return used_.back().second;
}

uint8_t* FatBuilder::entry(uint32_t directory, std::size_t index) { return directoryStart(directory) + index * 32; }

void FatBuilder::add(uint32_t directory, const DirEntry& e) { put(directory, used(directory)++, e); }

void FatBuilder::put(uint32_t directory, std::size_t index, const DirEntry& e) {
  uint8_t* slot = entry(directory, index);
  std::string name = e.name;
  name.resize(11, ' ');
  std::memcpy(slot, name.data(), 11);
  slot[11] = e.attributes;
  Put16(slot + 14, e.time);
  Put16(slot + 16, e.date);
  Put16(slot + 18, e.date);
  Put16(slot + 20, e.cluster >> 16);
  Put16(slot + 22, e.time);
  Put16(slot + 24, e.date);
  Put16(slot + 26, e.cluster & 0xFFFF);
  Put32(slot + 28, e.size);
}

void FatBuilder::addWithLongName(uint32_t directory, const std::u16string& name, const DirEntry& e) {
  std::u16string padded = name;
  padded.push_back(u'\0');
  const std::size_t parts = (padded.size() + 12) / 13;
  padded.resize(parts * 13, u'\xFFFF');
  static const uint32_t kOffsets[] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  for (std::size_t part = parts; part >= 1; --part) {
    uint8_t* slot = entry(directory, used(directory)++);
    std::memset(slot, 0, 32);
    slot[0] = static_cast<uint8_t>(part | (part == parts ? 0x40 : 0));
    slot[11] = 0x0F;
    slot[13] = LongNameChecksum(e.name);
    for (int i = 0; i < 13; ++i) Put16(slot + kOffsets[i], padded[(part - 1) * 13 + static_cast<std::size_t>(i)]);
  }
  add(directory, e);
}

void FatBuilder::addFile(uint32_t directory, const DirEntry& e, const std::vector<uint8_t>& bytes) {
  const uint32_t clusterBytes = sectorsPerCluster * kSector;
  const uint32_t count = std::max<uint32_t>(1, static_cast<uint32_t>((bytes.size() + clusterBytes - 1) / clusterBytes));
  std::vector<uint32_t> clusters;
  for (uint32_t i = 0; i < count; ++i) clusters.push_back(e.cluster + i);
  chain(clusters);
  std::copy(bytes.begin(), bytes.end(), cluster(e.cluster));
  add(directory, e);
}

void FatBuilder::addDirectory(uint32_t parent, const std::string& name, uint32_t c) {
  chain({c});
  add(parent, {name, 0x10, c, 0});
  add(c, {".", 0x10, c, 0});
  add(c, {"..", 0x10, parent, 0});
}

void FatBuilder::markDeleted(uint32_t directory, std::size_t index) { entry(directory, index)[0] = 0xE5; }

std::size_t FatBuilder::indexOf(uint32_t directory, const std::string& name) {
  std::size_t index = 0;
  while (index < used(directory) && std::memcmp(entry(directory, index), name.data(), 11) != 0) ++index;
  return index;
}
