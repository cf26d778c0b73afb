// Walks the marker segments of a JPEG up to its picture data, every length
// checked against the view.
#pragma once

#include <cstdint>
#include <functional>

#include "SectorWindow.h"

// visit gets each segment's marker, the offset of its FF and its length
// (without the marker); it returns true to stop. Ends at the scan, the end
// marker, broken data or after a bounded number of segments.
void ForEachJpegSegment(const SectorWindow& jpeg,
                        const std::function<bool(uint8_t marker, uint64_t at, uint16_t length)>& visit);
