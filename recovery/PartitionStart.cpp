#include "PartitionStart.h"

#include "Media.h"

uint32_t PartitionFirstSector(Media& media, const BootRecordEntry& entry) {
  if (entry.firstSector != 0) return entry.firstSector;
  // The end of a partition lies on the last head of a cylinder: the number
  // of heads is one more than the last head's number.
  media.SetGeometry(static_cast<uint32_t>(entry.endHead) + 1, entry.endSector);
  return media.ChsToLba(entry.startCylinder, entry.startHead, entry.startSector);
}
