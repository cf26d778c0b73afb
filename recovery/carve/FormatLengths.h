// Exact lengths of found files from their own structure, for the formats
// that carry it: RIFF (AVI, WAV, WEBP...), PNG, GIF, TIFF, ISO media, MP3 and
// MPEG program streams. Each walk starts at the file's first sector, whose
// window (bufferedSectors sectors) the buffer holds, and may read on into the
// same buffer, so the window is gone afterwards. Each gives 0 (unknown) when
// the structure is inconsistent, runs past the medium or beyond the walk's
// own bound, or the worker is asked to stop.
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

// An ID3v2 tag, at least five frames of one MPEG audio stream up to the last
// whole one, then an APE tag (with its header) and an ID3v1 block if present.
// Every whole frame plays: an MP3 that the medium cuts short ends at its
// last whole frame.
uint64_t Mp3FileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);

// Packs, system headers and packets up to and including the end code.
uint64_t MpegStreamFileLength(Media& media, uint32_t sector, uint32_t bufferedSectors, const Thread* worker);
