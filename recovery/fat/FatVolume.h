// The FAT volume of a medium: where its boot sector is and what it says,
// the FAT type and cluster count that follow from it, the first FAT in
// memory, and the cluster arithmetic of the data area. Nothing read from
// the medium is trusted: every value is checked before anything divides by
// it or sizes anything with it.
//
// Convention: booleans report whether a volume, or its FAT, was found.
#pragma once

#include <cstdint>
#include <vector>

#include "BootSector.h"

class Media;
class Thread;

enum class FatType { kFat12, kFat16, kFat32 };

class FatVolume {
 public:
  static constexpr uint32_t kMostCopies = 4;

  // Sector 0 itself, the sector the first partition entry names, or the
  // first of sectors 1 to 511 that names itself in its hidden-sectors field;
  // a stop request of worker ends the search. Decodes the boot sector, sets
  // the medium's sector size and geometry from it and works out the type.
  // False when there is no FAT volume.
  bool find(Media& media, const Thread& worker);

  // Loads only as much of each FAT copy as holds entries for the clusters
  // that the volume and the medium can have (at most kMostCopies copies).
  // False when a sector of the first cannot be read (or a stop was
  // requested): then no chain can be followed. A later copy that cannot be
  // read is left out.
  bool loadFat(Media& media, const Thread& worker);
  bool fatLoaded() const { return !fats_.empty(); }
  uint32_t copiesLoaded() const { return static_cast<uint32_t>(fats_.size()); }
  // Whether the loaded copies differ anywhere: then the FAT was damaged.
  bool copiesDisagree() const;

  // Where the data area begins: known once the root directory is read,
  // until then sectorsPerCluster is 0.
  void locateDataArea();

  // The FAT entry of cluster c in a copy (0 the first); endOfChain beyond
  // the loaded FAT or for a copy not loaded.
  uint32_t nextCluster(uint32_t c, uint32_t copy = 0) const;
  // A FAT value that leads on to another cluster (not free, reserved or an
  // end mark).
  bool isChainLink(uint32_t value) const;
  uint64_t clusterSector(uint32_t cluster) const;
  // The cluster holding a sector of the data area.
  uint32_t sectorCluster(uint32_t sector) const;
  // Cluster numbers whose first sector lies on a medium of sectorCount
  // sectors and whose entry the loaded FAT holds: only those lead a chain on.
  uint32_t clustersOnMedium(uint64_t sectorCount) const;

  uint32_t fatSectors() const { return boot.fatSectors(type == FatType::kFat32); }
  uint64_t fatStart() const { return static_cast<uint64_t>(bootSectorAt) + boot.reservedSectors; }
  const char* typeName() const;

  // The boot sector as found; its hidden-sectors field holds bootSectorAt.
  BootSector boot;
  uint32_t bootSectorAt = 0;
  FatType type = FatType::kFat12;
  uint32_t clusterCount = 0;
  uint32_t endOfChain = 0;
  uint32_t rootCluster = 0;  // FAT32
  uint32_t sectorsPerCluster = 0;
  uint32_t firstDataSector = 0;

 private:
  bool locateBootSector(Media& media, const Thread& worker, uint32_t& sector);
  bool determineType();

  bool loadCopy(Media& media, const Thread& worker, uint32_t copy, uint32_t sectors);

  std::vector<std::vector<uint8_t>> fats_;
};
