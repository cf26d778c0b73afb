// Small text functions shared by every module.
#pragma once

#include <cstdint>
#include <string>

#include "Context.h"

// Byte counts for people: "1023.99 KB", "1.00 MB", "1.95 GB"; the hundredths
// are truncated. With the exact count: "4.65 GB (5,000,000,000 bytes)".
std::string FormatSize(int64_t bytes, bool withExactCount);

std::string FormatInt64(int64_t value);

// Groups a decimal integer text (with an optional leading "-") by the record's
// grouping and thousands separator, as the platform's number formatting does.
std::string GroupDigits(const std::string& digits, const NumberFormatRecord& format);

// Everything before the last path separator; empty when there is none.
std::string ParentPath(const std::string& path);

// Removes trailing blanks; a text of blanks only stays as it is.
void TrimRight(std::string& text);

// The header of texts copied to the clipboard: date, time, product version.
std::string TimestampText();
