// Matching one signature chain against a block of bytes. Every comparison is
// checked against length first: nothing outside data[0 .. length-1] is read.
#pragma once

#include <cstdint>

#include "TypeEntry.h"

// The chain's last element when every element matches and its content check
// (".csv", ".mp3") passes; null otherwise.
const TypeEntry* MatchChain(const TypeEntry* first, const uint8_t* data, int32_t length);
