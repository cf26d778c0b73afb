// Conversions between directory-entry time stamps, 64-bit file times (100 ns
// units since 1 January 1601) and calendar times, without time-zone changes.
#pragma once

#include <cstdint>

#include "System.h"

// False (and fileTime unchanged) when the date and time are not a valid
// calendar time.
bool CalendarToFileTime(const CalendarTime& time, uint64_t& fileTime);
bool FileTimeToCalendar(uint64_t fileTime, CalendarTime& time);

// A FAT date and time; tenths counts tenths of a second (the creation stamp
// has them; 0 for the others).
bool DosTimeToCalendar(uint16_t date, uint16_t time, uint32_t tenths, CalendarTime& calendar);
