// Reads a file on through the medium for walks that follow the file's own
// lengths: an offset in the file becomes a bounded view of the bytes the
// buffer holds from there, read at most 16 sectors at a time and never past
// the medium's last sector.
#pragma once

#include <cstdint>

#include "SectorWindow.h"

class Media;

class MediumCursor {
 public:
  // The file begins at sector start; the buffer holds bufferedSectors sectors
  // from there (0 when it holds none of them).
  MediumCursor(Media& media, uint32_t start, uint32_t bufferedSectors);

  // The bytes from file offset pos on, as far as the buffer holds them; the
  // sectors from pos's own are read when the buffer holds fewer than wanted
  // bytes. The view can still be shorter than wanted at the medium's end or
  // when wanted is more than one read gives. False when pos lies past the
  // medium or the read fails.
  bool At(uint64_t pos, uint64_t wanted, SectorWindow& view);

  // How many bytes the medium holds from the file's start.
  uint64_t bytesLeft() const;

 private:
  bool Buffered(uint64_t pos, SectorWindow& view) const;

  Media& media_;
  const uint32_t start_;
  uint64_t base_;   // the first sector in the buffer
  uint32_t count_;  // how many sectors from base_ it holds
};
