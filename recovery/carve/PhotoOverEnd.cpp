#include "PhotoOverEnd.h"

#include <algorithm>
#include <cstring>

#include "JpegExtent.h"
#include "Media.h"
#include "Thread.h"

namespace {

const uint8_t kJpegStart[] = {0xFF, 0xD8, 0xFF};

// The first of the count sectors in the buffer that begins like a JPEG;
// count when none does.
uint32_t FirstJpegStart(const uint8_t* buffer, uint32_t count, uint32_t sectorSize) {
  for (uint32_t i = 0; i < count; ++i)
    if (std::memcmp(buffer + static_cast<std::size_t>(i) * sectorSize, kJpegStart, sizeof kJpegStart) == 0) return i;
  return count;
}

}  // namespace

bool PhotoRunsPastTheEnd(Media& media, uint32_t sector, uint64_t length, const Thread* worker) {
  const uint32_t ss = media.sectorSize;
  if (ss < sizeof kJpegStart) return false;
  const uint64_t end = std::min<uint64_t>(sector + (length + ss - 1) / ss, media.sectorCount);
  uint64_t at = static_cast<uint64_t>(sector) + 1;
  while (at < end) {
    if (worker != nullptr && worker->stopRequested()) return false;
    const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(Media::kMaxSectorsPerRead, end - at));
    if (!media.ReadSectors(static_cast<uint32_t>(at), count)) {
      ++at;
      continue;
    }
    const uint32_t found = FirstJpegStart(media.buffer, count, ss);
    at += found;
    if (found == count) continue;
    // The walk wants its first sector at the buffer's start.
    uint64_t photo = 0;
    if (media.ReadSectors(static_cast<uint32_t>(at), 1) &&
        jpegExtent(media, static_cast<uint32_t>(at), photo, worker) &&
        (at - sector) * ss + photo > length)
      return true;
    ++at;
  }
  return false;
}
