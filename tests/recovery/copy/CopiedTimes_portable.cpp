#include <sys/stat.h>

#include <cstdlib>
#include <ctime>

#include "CopiedTimes.h"

bool LocalModifiedTime(const std::filesystem::path& path, CalendarTime& time) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return false;
  std::tm local = {};
  if (localtime_r(&info.st_mtim.tv_sec, &local) == nullptr) return false;
  time.year = local.tm_year + 1900;
  time.month = local.tm_mon + 1;
  time.day = local.tm_mday;
  time.hour = local.tm_hour;
  time.minute = local.tm_min;
  time.second = local.tm_sec;
  time.millisecond = static_cast<int>(info.st_mtim.tv_nsec / 1000000);
  return true;
}

void UseZoneWithSummerTime() {
  setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
  tzset();
}
