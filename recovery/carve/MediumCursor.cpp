#include "MediumCursor.h"

#include "Media.h"

MediumCursor::MediumCursor(Media& media, uint32_t start, uint32_t bufferedSectors)
    : media_(media), start_(start), base_(start), count_(bufferedSectors) {}

bool MediumCursor::At(uint64_t pos, uint64_t wanted, SectorWindow& view) {
  if (Buffered(pos, view) && view.has(0, wanted)) return true;
  const uint32_t ss = media_.sectorSize;
  if (ss == 0 || media_.buffer == nullptr) return false;
  const uint64_t sector = start_ + pos / ss;
  if (sector >= media_.sectorCount || sector > UINT32_MAX) return false;
  const uint64_t left = media_.sectorCount - sector;
  const uint32_t count = left < Media::kMaxSectorsPerRead ? static_cast<uint32_t>(left) : Media::kMaxSectorsPerRead;
  if (!media_.ReadSectors(static_cast<uint32_t>(sector), count)) {
    count_ = 0;  // the buffer may hold part of a failed read
    return false;
  }
  base_ = sector;
  count_ = count;
  return Buffered(pos, view);
}

uint64_t MediumCursor::bytesLeft() const {
  if (media_.sectorCount <= start_) return 0;
  return (media_.sectorCount - start_) * media_.sectorSize;
}

bool MediumCursor::Buffered(uint64_t pos, SectorWindow& view) const {
  const uint32_t ss = media_.sectorSize;
  if (ss == 0 || media_.buffer == nullptr) return false;
  const uint64_t sector = start_ + pos / ss;
  if (sector < base_ || sector >= base_ + count_) return false;
  const uint64_t offset = (sector - base_) * ss + pos % ss;
  const uint64_t size = static_cast<uint64_t>(count_) * ss;
  view = SectorWindow(media_.buffer + offset, static_cast<std::size_t>(size - offset));
  return true;
}
