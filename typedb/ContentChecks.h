// The checks that decide a match beyond its signature: a ".csv" match must
// look like comma-separated text, a ".mp3" match like MPEG audio frames, and
// data that no signature claims is text when it is printable. Each reads only
// the length bytes at data.
#pragma once

#include <cstdint>

// Only printable characters and CR or LF (tab fails it); enough commas (at
// least one and one in 20 bytes) and double quotes (one in 50 bytes).
bool LooksLikeCsv(const uint8_t* data, int32_t length);

// An ID3v2 tag larger than the data, or after a smaller tag an MPEG audio
// frame header (free format too); without a tag three frame headers of one
// stream in a row, each where the frame before ends, or two when the third
// would start past the data. A frame may run past the data: 128 kbit/s
// frames are 417 bytes, so three whole ones never fit in two sectors.
bool LooksLikeMp3(const uint8_t* data, int32_t length);

// The first 256 bytes (at most) are printable characters, blanks, CR or LF;
// no data at all is text too.
bool LooksLikeText(const uint8_t* data, int32_t length);
