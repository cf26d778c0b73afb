#include "Utilities.h"

#include "Format.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"

namespace {
constexpr int64_t kKiB = 1024;
constexpr int64_t kMiB = 1024 * kKiB;
constexpr int64_t kGiB = 1024 * kMiB;
}  // namespace

std::string FormatSize(int64_t bytes, bool withExactCount) {
  int64_t n = bytes < 0 ? 0 : bytes;
  std::string text;
  if (n > 0xFFFFF) {
    int64_t m = n / kMiB;
    if (m >= 2000) {
      int64_t g = m / 1024;
      text = Format("%I64d.%02d GB", g, static_cast<int>((n - g * kGiB) * 100 / kGiB));
    } else {
      text = Format("%I64d.%02d MB", m, static_cast<int>((n - m * kMiB) * 100 / kMiB));
    }
  } else {
    int64_t k = n / kKiB;
    text = Format("%I64d.%02d KB", k, static_cast<int>((n - k * kKiB) * 100 / kKiB));
  }
  if (!withExactCount) return text;
  return Format("%s (%s bytes)", text, GroupNumber(FormatInt64(n)));
}

std::string FormatInt64(int64_t value) { return Format("%I64d", value); }

std::string GroupDigits(const std::string& digits, const NumberFormatRecord& format) {
  std::string sign;
  std::string body = digits;
  if (!body.empty() && body[0] == '-') {
    sign = "-";
    body.erase(0, 1);
  }
  // Grouping 3 means groups of three; 32 means three, then twos; a final 0
  // stops grouping after the groups before it.
  std::string sizes = std::to_string(format.grouping);
  bool repeatLast = sizes.back() != '0';
  if (!repeatLast) sizes.pop_back();

  std::string out;
  std::size_t end = body.size();
  std::size_t group = 0;
  while (end > 0) {
    std::size_t size = 0;
    if (group < sizes.size()) {
      size = static_cast<std::size_t>(sizes[group] - '0');
    } else if (repeatLast && !sizes.empty()) {
      size = static_cast<std::size_t>(sizes.back() - '0');
    }
    if (size == 0 || size >= end) {
      out.insert(0, body.substr(0, end));
      break;
    }
    out.insert(0, format.thousandSeparator + body.substr(end - size, size));
    end -= size;
    ++group;
  }
  return sign + out;
}

std::string ParentPath(const std::string& path) {
  std::size_t last = path.rfind(kPathSeparator);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

void TrimRight(std::string& text) {
  std::size_t end = text.find_last_not_of(' ');
  if (end != std::string::npos) text.erase(end + 1);
}

std::string TimestampText() {
  CalendarTime now = LocalTimeNow();
  std::string date, time;
  FormatShortDate(now, date);
  FormatTimeOfDay(now, time);
  return LoadText(kTextRunHeader, date, time, ProductVersionText(TheContext().ownInstance));
}
