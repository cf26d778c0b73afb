// The holes of a sparse image file: stretches never written, which read as
// zero bytes. A read that the kernel serves from a hole has it zero a fresh
// page of the page cache for every 4 KiB; an image larger than the memory
// then pushes its own pages out as it is read, and every pass pays for the
// zeroing and the reclaim again. Knowing the holes, the reader fills them
// with zeros itself.
//
// Learnt as reads reach them (SEEK_DATA and SEEK_HOLE), one stretch at a
// time; a file system that cannot tell is read as all data.
#pragma once

#include <cstdint>

class FileHoles {
 public:
  explicit FileHoles(int fd) : fd_(fd) {}

  // How many bytes from offset on, at most limit, lie in a hole; 0 when
  // offset lies in data, at or past the end of the file, or nothing is known.
  uint64_t HoleAt(uint64_t offset, uint64_t limit);

 private:
  bool Learn(uint64_t offset);

  int fd_;
  bool unknown_ = false;  // the file system tells no holes
  uint64_t holeFrom_ = 0, holeTo_ = 0;
  uint64_t dataFrom_ = 0, dataTo_ = 0;
};
