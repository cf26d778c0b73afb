// The sector search: every sector that no record claims is examined for the
// start of a file. A start opens a record that the following unclaimed
// sectors extend, up to the next start or claimed sector, unless the type
// tells its own length.
#pragma once

#include <cstdint>

class File;
class Recovery;

class IntensiveScan {
 public:
  // From sector start up to the run's scanEnd; sectorsPerCluster for the
  // trace (0 without a walked FAT volume).
  IntensiveScan(Recovery& recovery, uint32_t start, uint32_t sectorsPerCluster)
      : recovery_(recovery), start_(start), sectorsPerCluster_(sectorsPerCluster) {}

  void run();

 private:
  // True when a file of this length at s runs into a sector already claimed.
  bool crossesClaimed(uint32_t s, uint64_t length) const;
  // Records the file of its own length found at sector s; the sectors to
  // skip after s.
  uint32_t placeExactFile(File& record, uint32_t s, uint64_t length);
  void closeScanRecord(File& record, uint32_t position, uint32_t lastData) const;
  // The progress position for sector s: the search fills what is left of
  // the bar after the earlier phases, so the bar never goes back.
  uint32_t progressFor(uint32_t s) const;

  Recovery& recovery_;
  uint32_t start_;
  uint32_t sectorsPerCluster_;
  uint32_t progressBase_ = 0;  // the position when the search began
};
