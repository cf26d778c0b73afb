#include "FileHoles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

uint64_t FileHoles::HoleAt(uint64_t offset, uint64_t limit) {
  const bool known = (offset >= holeFrom_ && offset < holeTo_) || (offset >= dataFrom_ && offset < dataTo_);
  if (unknown_ || (!known && !Learn(offset))) return 0;
  if (offset < holeFrom_ || offset >= holeTo_) return 0;
  return holeTo_ - offset < limit ? holeTo_ - offset : limit;
}

// The stretch around offset: a hole up to the next data (or the end of the
// file), or data up to the next hole.
bool FileHoles::Learn(uint64_t offset) {
  const off_t data = lseek(fd_, static_cast<off_t>(offset), SEEK_DATA);
  if (data < 0 && errno == ENXIO) {  // no data from offset on
    struct stat info;
    if (fstat(fd_, &info) != 0 || static_cast<uint64_t>(info.st_size) <= offset) return false;
    holeFrom_ = offset;
    holeTo_ = static_cast<uint64_t>(info.st_size);
    return true;
  }
  if (data < 0 || static_cast<uint64_t>(data) < offset) {
    unknown_ = true;
    return false;
  }
  if (static_cast<uint64_t>(data) > offset) {
    holeFrom_ = offset;
    holeTo_ = static_cast<uint64_t>(data);
    return true;
  }
  const off_t hole = lseek(fd_, static_cast<off_t>(offset), SEEK_HOLE);
  if (hole < 0 || static_cast<uint64_t>(hole) <= offset) {
    unknown_ = true;
    return false;
  }
  dataFrom_ = offset;
  dataTo_ = static_cast<uint64_t>(hole);
  return true;
}
