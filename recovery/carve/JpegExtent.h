// Works out whether a JPEG file begins at a sector and how long it is: the
// marker segments are skipped by their lengths up to the start of scan, then
// the first FF D9 ends the file.
#pragma once

#include <cstdint>

class Media;
class Thread;

// On entry the source's buffer holds sector start. True, with lengthOut set,
// for a complete JPEG; false (lengthOut unchanged) otherwise, and when the
// worker is asked to stop. Reads one sector at a time, each at most once.
bool jpegExtent(Media& media, uint32_t start, uint64_t& lengthOut, const Thread* worker = nullptr);
