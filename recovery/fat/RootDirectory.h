// The root directory: a fixed area after the FATs on FAT12 and FAT16, a
// cluster chain on FAT32. Reading it locates the volume's data area.
#pragma once

#include <cstdint>
#include <vector>

class FatVolume;
class Media;
class Thread;

struct RootDirectory {
  // A FAT directory holds at most 65536 entries; no more are read.
  static constexpr uint64_t kLargestDirectoryBytes = 65536 * 32;

  // Reads the root directory of the volume, whose FAT is loaded; a stop of
  // worker ends the reading. Unreadable sectors end a fixed root; in a root
  // chain they are left out and the rest moves up.
  void read(Media& media, FatVolume& volume, const Thread& worker);

  std::vector<uint8_t> data;
  std::vector<uint32_t> clusters;  // FAT32: the root's own clusters

 private:
  void readFixed(Media& media, const FatVolume& volume, const Thread& worker);
  void readChain(Media& media, const FatVolume& volume, const Thread& worker);
};
