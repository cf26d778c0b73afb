// exFAT time stamps: a DOS date and time in one 32-bit word (date in the high
// half), a count of 10 ms added to its 2-second resolution, and an offset
// from UTC in 15-minute steps, valid when its top bit is set.
#pragma once

#include <cstdint>

struct ExfatTime {
  uint32_t stamp = 0;
  uint8_t increment10ms = 0;  // 0..199
  uint8_t utcOffset = 0;

  // The stamp as a file time (100 ns units since 1601) in the camera's local
  // time, as FAT stamps are: the copies take it as the computer's local
  // time, which is right wherever the two clocks agree. False (fileTime
  // unchanged) when the stamp is no calendar time.
  bool toFileTime(uint64_t& fileTime) const;
};
