#include "ExfatTime.h"

#include "FileTime.h"

namespace {
constexpr uint32_t kMostIncrements = 199;  // 1.99 s: the rest of a 2-second step
constexpr uint64_t kTicksPer10ms = 100000;
constexpr int64_t kTicksPerMinute = 600000000;
}  // namespace

int32_t ExfatTime::utcOffsetMinutes() const {
  const int32_t steps = (utcOffset & 0x40) != 0 ? static_cast<int32_t>(utcOffset & 0x7F) - 128 : utcOffset & 0x3F;
  return steps * 15;
}

bool ExfatTime::toFileTime(uint64_t& fileTime) const {
  if (increment10ms > kMostIncrements) return false;
  CalendarTime calendar;
  uint64_t local = 0;
  if (!DosTimeToCalendar(static_cast<uint16_t>(stamp >> 16), static_cast<uint16_t>(stamp), 0, calendar) ||
      !CalendarToFileTime(calendar, local))
    return false;
  local += increment10ms * kTicksPer10ms;
  if (hasUtcOffset()) {
    // A local time from 1980 on lies far more than 16 hours after 1601.
    const int64_t shift = static_cast<int64_t>(utcOffsetMinutes()) * kTicksPerMinute;
    local = static_cast<uint64_t>(static_cast<int64_t>(local) - shift);
  }
  fileTime = local;
  return true;
}
