// The directory walk of an exFAT volume: every file entry set whose data can
// be located becomes a record, in the tree shape of the volume, with its long
// name, an 8.3 short name and its times, and claims its clusters so that the
// sector search leaves them alone. exFAT keeps a deleted set whole, so
// deleted files come back under their real names; they are taken after every
// live file, so that a live file always owns the clusters it shares with one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ClusterSet.h"
#include "ExfatEntrySet.h"

class ExfatVolume;
class File;
class Recovery;

class ExfatWalk {
 public:
  // The largest directory read; exFAT allows 256 MiB, no card needs this.
  static constexpr uint64_t kLargestDirectoryBytes = 16u << 20;
  // Deeper than any card's folders: a tree like that is damage.
  static constexpr uint32_t kDeepestFolder = 64;
  // More deleted sets than a card of deleted photos leaves are not kept.
  static constexpr std::size_t kMostDeletedSets = 1u << 18;

  // The volume's FAT must be loaded.
  ExfatWalk(Recovery& recovery, ExfatVolume& volume);

  // Reads the root directory, the allocation bitmap and the label it names,
  // and walks it under the run's root record: the live sets, then the
  // deleted ones when the options include deleted files. With deletedOnly
  // only the deleted sets, below the folders an earlier walk made.
  void walkRoot(bool deletedOnly);

 private:
  struct Pending {
    File* parent;
    ExfatFileSet set;
    uint32_t depth;
  };

  bool readRoot(std::vector<uint8_t>& data);
  void readVolumeEntries(const std::vector<uint8_t>& root);
  void claimSystemStream(uint32_t first, uint64_t length);
  void walkDirectory(const std::vector<uint8_t>& data, File& parent, uint32_t depth, bool insideDeleted);
  void walkDeletedSets();
  File* makeRecord(const ExfatFileSet& set, File& parent, bool deleted, bool& collided);
  bool claim(File& record, const ExfatFileSet& set, bool deleted, bool& collided);
  std::vector<uint32_t> dataClusters(const ExfatFileSet& set, bool deleted, uint64_t needed);
  void descend(File& directory, uint32_t depth, bool insideDeleted);
  bool readDirectoryData(const File& directory, std::vector<uint8_t>& data);
  File* existingFolder(const File& parent, uint32_t firstCluster) const;

  Recovery& recovery_;
  ExfatVolume& volume_;
  bool makeLive_ = true;
  bool takeDeleted_ = false;
  // Deleted sets seen on the way, taken once the live walk is done.
  std::vector<Pending> pending_;
  // Clusters read as directory data in this walk: none is read twice, so a
  // folder that points back into its ancestors ends there.
  ClusterSet walkedDirectoryClusters_;
};
