// The bytes handed to a decoder for the data of a recovered file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "SectorWindow.h"

bool IsJpeg(const SectorWindow& data);

// A copy of the data. A JPEG that does not end with its end marker (cut
// short, as carved or partly overwritten photos often are) gets one, so
// that a decoder shows what is there instead of failing.
std::vector<uint8_t> DecoderInput(const SectorWindow& data);
