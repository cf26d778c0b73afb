// Finds how many sectors a device holds by reading it, for drivers that
// cannot tell (Wine's raw devices answer neither the geometry nor the length
// query, and a few card readers behave alike).
#pragma once

#include <cstdint>

#include "Device.h"

// The largest count searched for: 2^40 sectors, far beyond any card.
constexpr uint64_t kLargestProbedSectors = uint64_t{1} << 40;

// Sets count to the number of sectorSize-byte sectors from offset 0 that the
// device delivers whole. A sector that fails with a read error (not an end
// of medium) still counts as part of the medium. False when sector 0 cannot
// be read at all, with error set. At most about 2 x 41 reads.
bool ProbeSectorCount(Device& device, uint32_t sectorSize, uint64_t& count, uint32_t& error);
