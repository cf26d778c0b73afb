#include "CopyOutcome.h"

#include <limits>

namespace {

// Strings 128 and 127 of 1033.DLL and of 1031.DLL: the wizard runs in either.
const char* const kCopiedPhrases[] = {" file was copied to ", " files were copied to ", " Datei wurde nach ",
                                      " Dateien wurden nach "};

}  // namespace

bool ReadCopiedCount(const std::string& status, unsigned long& count) {
  std::size_t digits = 0;
  unsigned long value = 0;
  constexpr unsigned long kLargest = std::numeric_limits<unsigned long>::max();
  while (digits < status.size() && status[digits] >= '0' && status[digits] <= '9') {
    const auto digit = static_cast<unsigned long>(status[digits] - '0');
    if (value > (kLargest - digit) / 10) return false;
    value = value * 10 + digit;
    ++digits;
  }
  if (digits == 0) return false;
  for (const char* phrase : kCopiedPhrases) {
    const std::string text(phrase);
    // The destination must follow: a phrase cut off is no copy.
    if (status.compare(digits, text.size(), text) == 0 && status.size() > digits + text.size()) {
      count = value;
      return true;
    }
  }
  return false;
}

bool CopyOfEveryFile(const std::string& status, unsigned long listed) {
  unsigned long copied = 0;
  return ReadCopiedCount(status, copied) && copied == listed;
}
