// A card reuses the clusters of a deleted file: a photo written later can lie
// over the end of an older file whose header still gives its old length.
// Such a photo begins at one of the file's later sectors and runs on past
// the file's end, where a frame, preview or stored photo that the file holds
// ends inside it.
#pragma once

#include <cstdint>

class Media;
class Thread;

// Whether a JPEG that the marker walk confirms begins at one of the sectors
// after sector and before the end of length bytes from it, and runs past
// that end. Reads those sectors into the buffer; unreadable ones are passed
// over. False too when the worker is asked to stop.
bool PhotoRunsPastTheEnd(Media& media, uint32_t sector, uint64_t length, const Thread* worker);
