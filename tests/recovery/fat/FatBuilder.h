// Small FAT volumes built byte by byte, for the cases real tools never make:
// chains that loop or cross, entries that point off the medium, long names
// without their first entry. 512-byte sectors; the boot sector at sector
// `at` of the image (0 for a card without partition table).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class FatKind { kFat12, kFat16, kFat32 };

struct DirEntry {
  std::string name;  // 11 characters, blank-padded, no dot
  uint8_t attributes = 0x20;
  uint32_t cluster = 0;
  uint32_t size = 0;
  uint16_t date = 0x5021;  // 2020-01-01
  uint16_t time = 0x6000;  // 12:00:00
};

class FatBuilder {
 public:
  static constexpr uint32_t kSector = 512;

  // clusters data clusters of sectorsPerCluster sectors after 1 reserved
  // sector, 2 FATs and (FAT12/16) a root of 512 entries; the FAT32 root is
  // cluster 2, already allocated.
  FatBuilder(FatKind kind, uint32_t clusters, uint32_t sectorsPerCluster = 1, uint32_t at = 0);

  std::vector<uint8_t> image;
  FatKind kind;
  uint32_t at;
  uint32_t sectorsPerCluster;
  uint32_t fatSectors;
  uint32_t firstDataSector;  // absolute, in the image

  uint8_t* boot() { return &image[static_cast<std::size_t>(at) * kSector]; }
  uint8_t* cluster(uint32_t c);
  uint32_t clusterSector(uint32_t c) const { return firstDataSector + (c - 2) * sectorsPerCluster; }

  // Writes the entry of cluster c into both FATs.
  void setFat(uint32_t c, uint32_t value);
  // Links the clusters in order; the last one gets the end mark.
  void chain(const std::vector<uint32_t>& clusters);
  uint32_t endMark() const;

  // Appends entries to a directory: 0 is the root.
  void add(uint32_t directory, const DirEntry& entry);
  // The long-name entries of name, last part first, then the short entry.
  void addWithLongName(uint32_t directory, const std::u16string& name, const DirEntry& entry);
  // A file of bytes in contiguous clusters from first, with its chain.
  void addFile(uint32_t directory, const DirEntry& entry, const std::vector<uint8_t>& bytes);
  // A directory in cluster c of the parent, with its "." and ".." entries.
  void addDirectory(uint32_t parent, const std::string& name, uint32_t c);
  void markDeleted(uint32_t directory, std::size_t index);
  // Writes an entry over the slot at index, as a new file takes a slot that a
  // deleted one left.
  void put(uint32_t directory, std::size_t index, const DirEntry& entry);
  // The index of the entry whose 11 name bytes are name.
  std::size_t indexOf(uint32_t directory, const std::string& name);

  // The raw 32-byte entries of a directory, in order.
  uint8_t* entry(uint32_t directory, std::size_t index);

 private:
  uint8_t* directoryStart(uint32_t directory);
  std::size_t& used(uint32_t directory);
  std::vector<std::pair<uint32_t, std::size_t>> used_;
};
