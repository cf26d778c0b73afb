// Where a partition that the master boot record names begins, for the FAT
// and the exFAT volume searches alike.
#pragma once

#include <cstdint>

#include "MasterBootRecord.h"

class Media;

// The entry's first sector; an entry that gives none (old tools left it 0)
// is located by its CHS start, with the geometry its end implies, which is
// then set on media.
uint32_t PartitionFirstSector(Media& media, const BootRecordEntry& entry);
