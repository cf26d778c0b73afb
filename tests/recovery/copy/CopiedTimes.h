// What a copy's time stamps read as, in the local time of this machine, and
// a time zone with summer time for the suites, so that a copy dated in UTC
// instead of local time cannot pass.
#pragma once

#include <filesystem>

#include "System.h"

// False when the entry cannot be read.
bool LocalModifiedTime(const std::filesystem::path& path, CalendarTime& time);

// Natively the process takes central European time; under Wine the zone is
// the one Wine started with (the test command sets it).
void UseZoneWithSummerTime();
