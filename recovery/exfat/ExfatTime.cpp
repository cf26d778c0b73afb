#include "ExfatTime.h"

#include "FileTime.h"

namespace {
constexpr uint32_t kMostIncrements = 199;  // 1.99 s: the rest of a 2-second step
constexpr uint64_t kTicksPer10ms = 100000;
}  // namespace

bool ExfatTime::toFileTime(uint64_t& fileTime) const {
  if (increment10ms > kMostIncrements) return false;
  CalendarTime calendar;
  uint64_t local = 0;
  if (!DosTimeToCalendar(static_cast<uint16_t>(stamp >> 16), static_cast<uint16_t>(stamp), 0, calendar) ||
      !CalendarToFileTime(calendar, local))
    return false;
  fileTime = local + increment10ms * kTicksPer10ms;
  return true;
}
