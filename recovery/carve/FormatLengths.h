// Exact lengths of found files from their own structure, for the formats
// that carry it: RIFF (AVI, WAV, WEBP...), PNG, GIF and TIFF. Each walk starts at
// the file's first sector, whose window (bufferedSectors sectors) the buffer
// holds, and may read on into the same buffer, so the window is gone
// afterwards. Each gives 0 (unknown) when the structure is inconsistent,
// runs past the medium or beyond the walk's own bound, or the worker is
// asked to stop.
#pragma once

#include <cstdint>

class Media;
class Thread;

// 8 + the RIFF size, padded to even; an AVI takes the AVIX chunks that
// follow it directly.
uint64_t RiffFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);

// The chunk walk from the signature to IEND and its CRC.
uint64_t PngFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);

// The header and colour table, then block after block to the trailer.
uint64_t GifFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);

// The furthest byte that the directories of a TIFF file, or of a camera RAW
// file built on TIFF (CR2, NEF, ARW, DNG, ORF, PEF, RW2), point at.
uint64_t TiffFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);

// The top-level boxes up to the first that is no top-level box; only a
// length when they hold a movie box and media data.
uint64_t IsoMediaFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);
