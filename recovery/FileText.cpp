// The text forms of a record that the trace and the review step show.
#include <vector>

#include "File.h"
#include "FileTime.h"
#include "Format.h"
#include "System.h"
#include "Trace.h"
#include "Utilities.h"

namespace {

constexpr std::size_t kDisplayNameLimit = 260;

// Read once per process: the locale does not change during a run.
const LocaleNumberParts& NumberParts() {
  static const LocaleNumberParts parts = UserNumberParts();
  return parts;
}

std::string GroupedCount(uint64_t value) {
  NumberFormatRecord format;
  format.grouping = NumberParts().grouping;
  format.thousandSeparator = NumberParts().thousandSeparator;
  return GroupDigits(Format("%I64u", value), format);
}

// The ancestors below the root, from the top down.
std::vector<const File*> Ancestors(const File& record) {
  std::vector<const File*> chain;
  for (const File* a = record.parent; a != nullptr && a->parent != nullptr; a = a->parent) chain.push_back(a);
  return std::vector<const File*>(chain.rbegin(), chain.rend());
}

std::size_t PartLength(const std::vector<std::string>& names, std::size_t from, std::size_t to) {
  std::size_t length = 0;
  for (std::size_t i = from; i < to; ++i) length += names[i].size() + 1;
  return length;
}

}  // namespace

std::string File::displayName() const {
  if (!longName.empty()) {
    std::string name = NarrowText(longName);
    if (name.size() > kDisplayNameLimit) name.resize(kDisplayNameLimit);
    return name;
  }
  std::string name;
  for (int i = 0; i < 8 && shortName[i] != '\0'; ++i) name += shortName[i];
  std::size_t end = name.find_last_not_of(' ');
  name.erase(end == std::string::npos ? 0 : end + 1);
  if (shortName[8] != ' ' && shortName[8] != '\0') name += "." + shortExtension();
  return name;
}

std::string File::pathText(int maxLength) const {
  std::vector<std::string> names;
  for (const File* ancestor : Ancestors(*this)) names.push_back(ancestor->displayName());
  std::string own = "\\" + displayName();
  std::size_t limit = maxLength > 0 ? static_cast<std::size_t>(maxLength) : 0;
  std::size_t count = names.size();

  if (limit == 0 || PartLength(names, 0, count) <= limit) {
    std::string path;
    for (const std::string& name : names) path += "\\" + name;
    return path + own;
  }
  // Keep the top two and the nearest two folders; drop the ones between,
  // nearest first, until the rest (with "\...") fits.
  if (count >= 5) {
    const std::size_t nearest = PartLength(names, count - 2, count);
    for (std::size_t keepTop = count - 3; keepTop >= 2; --keepTop) {
      if (PartLength(names, 0, keepTop) + 4 + nearest <= limit) {
        std::string path;
        for (std::size_t i = 0; i < keepTop; ++i) path += "\\" + names[i];
        return path + "\\...\\" + names[count - 2] + "\\" + names[count - 1] + own;
      }
    }
  }
  return "\\..." + own;
}

std::string File::sizeText(bool withBytes) const {
  const std::string& decimal = NumberParts().decimalSeparator;
  const uint64_t s = size;
  if (s < 9216) return GroupedCount(s);
  std::string text;
  if (s < 0x900000) {
    text = Format("%u%s%02uK", static_cast<uint32_t>(s / 1024), decimal, static_cast<uint32_t>((s % 1024) * 100 / 1024));
  } else if (s < 2000ULL * 1048576) {
    text = Format("%u%s%02uM", static_cast<uint32_t>(s / 1048576), decimal,
                  static_cast<uint32_t>((s % 1048576) * 100 / 1048576));
  } else {
    const uint64_t gib = 1ULL << 30;
    text = Format("%I64u%s%02uG", s / gib, decimal, static_cast<uint32_t>((s % gib) * 100 / gib));
  }
  if (!withBytes) return text;
  return Format("%s (%s bytes)", text, GroupedCount(s));
}

std::string File::dateText(Stamp which) const {
  uint64_t stamp = which == kCreated ? created : which == kModified ? modified : accessed;
  CalendarTime calendar;
  std::string date, time;
  // A record without this stamp has nothing to show.
  if (stamp == 0 || !FileTimeToCalendar(stamp, calendar) || !FormatShortDate(calendar, date) ||
      !FormatTimeOfDay(calendar, time))
    return "-- N/A --";
  std::string text = date.size() < 11 ? std::string(11 - date.size(), ' ') + date : date;
  if (time.size() < 12) text += std::string(12 - time.size(), ' ');
  return text + time;
}

std::string File::runsText(uint32_t group) const {
  std::string text;
  uint64_t first = static_cast<uint64_t>(group) * 8;
  for (uint64_t i = first; i < first + 8 && i < runs.size(); ++i)
    text += Format("(%u-%u) ", runs[i].first, runs[i].first + runs[i].count - 1);
  return text;
}

void File::listTree(const File& record, int indent) {
  for (const File* child = record.firstChild; child != nullptr; child = child->next) {
    std::string line = Format("%6u %12s %20.20s %20.20s ", child->nextSector(0), child->sizeText(false),
                              child->dateText(kCreated), child->dateText(kAccessed));
    line += std::string(static_cast<std::size_t>(indent), ' ') + child->displayName();
    if (child->isDirectory) line += "\\";
    if (!child->longName.empty()) line += "    " + NarrowText(child->longName);
    TraceMessage("%s", line);
    if (child->isVolumeLabel) {
      TraceMessage("      >>> Volume label");
    } else if (!child->isDirectory) {
      for (uint32_t group = 0;; ++group) {
        std::string runs = child->runsText(group);
        if (runs.empty()) break;
        TraceMessage("          %s", runs);
      }
    }
  }
  for (const File* child = record.firstChild; child != nullptr; child = child->next)
    if (child->isDirectory) listTree(*child, indent + 5);
}
