#include "FileTime.h"

namespace {

constexpr uint64_t kTicksPerMillisecond = 10000;
constexpr uint64_t kTicksPerDay = 86400ULL * 1000 * kTicksPerMillisecond;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days between 1 January 1601 and the given date (proleptic Gregorian).
int64_t LeapYearsUpTo(int64_t year) { return year / 4 - year / 100 + year / 400; }

int64_t DaysSince1601(int year, int month, int day) {
  int64_t days = 365 * static_cast<int64_t>(year - 1601) + LeapYearsUpTo(year - 1) - LeapYearsUpTo(1600);
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

}  // namespace

bool CalendarToFileTime(const CalendarTime& time, uint64_t& fileTime) {
  if (time.year < 1601 || time.year > 30827 || time.month < 1 || time.month > 12) return false;
  if (time.day < 1 || time.day > DaysInMonth(time.year, time.month)) return false;
  if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59) return false;
  if (time.second < 0 || time.second > 59 || time.millisecond < 0 || time.millisecond > 999) return false;
  uint64_t milliseconds = ((static_cast<uint64_t>(time.hour) * 60 + time.minute) * 60 + time.second) * 1000 +
                          static_cast<uint64_t>(time.millisecond);
  fileTime = static_cast<uint64_t>(DaysSince1601(time.year, time.month, time.day)) * kTicksPerDay +
             milliseconds * kTicksPerMillisecond;
  return true;
}

bool FileTimeToCalendar(uint64_t fileTime, CalendarTime& time) {
  uint64_t days = fileTime / kTicksPerDay;
  uint64_t milliseconds = (fileTime % kTicksPerDay) / kTicksPerMillisecond;
  constexpr uint64_t kDaysPer400Years = 146097;
  int year = 1601 + static_cast<int>(days / kDaysPer400Years) * 400;
  days %= kDaysPer400Years;
  for (;;) {
    uint64_t length = IsLeapYear(year) ? 366 : 365;
    if (days < length) break;
    days -= length;
    ++year;
  }
  int month = 1;
  while (days >= static_cast<uint64_t>(DaysInMonth(year, month))) {
    days -= static_cast<uint64_t>(DaysInMonth(year, month));
    ++month;
  }
  time.year = year;
  time.month = month;
  time.day = static_cast<int>(days) + 1;
  time.hour = static_cast<int>(milliseconds / 3600000);
  time.minute = static_cast<int>(milliseconds / 60000 % 60);
  time.second = static_cast<int>(milliseconds / 1000 % 60);
  time.millisecond = static_cast<int>(milliseconds % 1000);
  return year <= 30827;
}

bool DosTimeToCalendar(uint16_t date, uint16_t time, uint32_t tenths, CalendarTime& calendar) {
  calendar.day = date & 31;
  calendar.month = (date >> 5) & 15;
  calendar.year = (date >> 9) + 1980;
  calendar.hour = time >> 11;
  calendar.minute = (time >> 5) & 63;
  calendar.second = static_cast<int>(2 * (time & 31) + tenths / 10);
  calendar.millisecond = static_cast<int>((tenths % 10) * 100);
  uint64_t unused = 0;
  return CalendarToFileTime(calendar, unused);
}
