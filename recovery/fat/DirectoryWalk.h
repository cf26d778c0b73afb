// The directory walk: every entry set of a FAT directory whose data can be
// located becomes a record, in the tree shape of the volume, and claims its
// sectors so that the sector search leaves them alone. A live pass, then, on
// request, a deleted pass that looks for deleted entries in the same tree.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "ClusterChain.h"
#include "DirectoryEntry.h"

class FatVolume;
class File;
class Recovery;

class DirectoryWalk {
 public:
  // The volume's FAT must be loaded.
  DirectoryWalk(Recovery& recovery, FatVolume& volume);

  // Reads the root directory and walks it under the run's root record: the
  // live pass, then the deleted pass when the options include deleted
  // entries; with deletedPassOnly only the deleted pass.
  void walkRoot(bool deletedPassOnly);

  // Makes records under parent for count entries, and descends.
  void walkDirectory(const uint8_t* entries, uint32_t count, File& parent);

 private:
  void walkPass(const std::vector<uint8_t>& root, const std::vector<uint32_t>& rootClusters, bool deleted);
  void walkEntrySet(const EntrySet& set, File& parent);
  bool keepWalkedRecord(File& record, const EntrySet& set, bool& collided);
  bool extendShortChain(File& record, const DirectoryEntry& entry, bool& collided);
  void descend(File& directory);
  // The bytes of a directory record along its runs; false when there are none.
  bool readDirectoryData(const File& directory, std::vector<uint8_t>& data);

  Recovery& recovery_;
  FatVolume& volume_;
  ClusterChain chain_;
  bool deletedPass_ = false;
  // Sectors read as directory data in the current pass: none is read twice,
  // so a directory that points back into its ancestors ends there.
  std::unordered_set<uint32_t> walkedDirectorySectors_;
  uint32_t depth_ = 0;
};
