#include "File.h"

#include <cctype>
#include <cstring>

#include "FileTime.h"
#include "Format.h"
#include "Media.h"
#include "MessagePump.h"

namespace {

// The 11-character padded form of a name as findChild compares it: the first
// 8 characters, then the up to 3 after the dot at position 8.
std::string PaddedName(const std::string& name) {
  std::string padded = name.substr(0, 8);
  padded.resize(8, ' ');
  std::string extension = name.size() > 8 ? name.substr(9, 3) : std::string();
  extension.resize(3, ' ');
  return padded + extension;
}

bool SameIgnoringCase(const char* a, const std::string& b) {
  for (std::size_t i = 0; i < b.size(); ++i) {
    char c = a[i] == '\0' ? ' ' : a[i];
    if (std::toupper(static_cast<unsigned char>(c)) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    if (a[i] == '\0') {
      // Past the stored name only blanks can match.
      for (std::size_t j = i; j < b.size(); ++j)
        if (b[j] != ' ') return false;
      return true;
    }
  }
  return true;
}

}  // namespace

File::File(const std::string& name) { std::strncpy(shortName, name.c_str(), 11); }

File::~File() {
  while (firstChild != nullptr) delete firstChild;  // each child unlinks itself
  unlink();
}

void File::unlink() {
  if (prev != nullptr) prev->next = next;
  if (next != nullptr) next->prev = prev;
  if (parent != nullptr && parent->firstChild == this) parent->firstChild = next;
  prev = next = nullptr;
  parent = nullptr;
}

std::string File::GeneratedName(const char* prefix, uint32_t number, const std::string& extension) {
  return Format("%s%05u%s", prefix, number, extension).substr(0, 11);
}

void File::appendChild(File& newParent) {
  unlink();
  parent = &newParent;
  if (newParent.firstChild == nullptr) {
    newParent.firstChild = this;
    return;
  }
  File* last = newParent.firstChild;
  while (last->next != nullptr) last = last->next;
  last->next = this;
  prev = last;
}

File* File::findChild(const std::string& name) const {
  const File* folder = firstChild != nullptr ? this : parent;
  if (folder == nullptr) return nullptr;
  std::string padded = PaddedName(name);
  for (File* child = folder->firstChild; child != nullptr; child = child->next)
    if (SameIgnoringCase(child->shortName, padded)) return child;
  return nullptr;
}

void File::addRun(uint32_t first, uint32_t count) {
  if (!runs.empty() && static_cast<uint64_t>(runs.back().first) + runs.back().count == first) {
    runs.back().count += count;
    return;
  }
  runs.push_back({first, count});
}

uint64_t File::countSectors() const {
  uint64_t total = 0;
  for (const SectorRun& run : runs) total += run.count;
  return total;
}

uint32_t File::lastSector() const {
  if (runs.empty()) return 0;
  return runs.back().first + runs.back().count - 1;
}

uint32_t File::nextSector(uint32_t sector) const {
  if (sector == 0) return runs.empty() ? 0 : runs.front().first;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const SectorRun& run = runs[i];
    if (run.count == 0 || sector < run.first || sector - run.first >= run.count) continue;
    if (sector - run.first + 1 < run.count) return sector + 1;
    return i + 1 < runs.size() ? runs[i + 1].first : 0;
  }
  return 0;
}

void File::setDosTime(Stamp which, uint16_t date, uint16_t time, uint32_t tenths) {
  CalendarTime calendar;
  uint64_t stamp = 0;
  if (!DosTimeToCalendar(date, time, tenths, calendar) || !CalendarToFileTime(calendar, stamp)) return;
  if (which == kCreated) created = stamp;
  if (which == kModified) modified = stamp;
  if (which == kAccessed) accessed = stamp;
}

std::string File::shortExtension() const {
  std::string extension;
  for (int i = 8; i < 11 && shortName[i] != '\0'; ++i) extension += shortName[i];
  return extension;
}

bool File::hasExtension(const char* lowerCase) const {
  std::string own = shortExtension();
  while (!own.empty() && own.back() == ' ') own.pop_back();
  if (own.size() != std::strlen(lowerCase)) return false;
  for (std::size_t i = 0; i < own.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(own[i])) != lowerCase[i]) return false;
  return true;
}

bool File::readData(Media& media, uint8_t* dest, uint64_t length) const {
  const uint64_t wanted = length < size ? length : size;
  const uint32_t ss = media.sectorSize;
  uint64_t done = 0;
  uint32_t sector = nextSector(0);
  uint32_t bufferFirst = 0;  // the sector at the start of the last 16-sector read
  uint32_t bufferCount = 0;
  while (done < wanted && sector != 0 && ss != 0) {
    bool inBuffer = bufferCount != 0 && sector >= bufferFirst && sector - bufferFirst < bufferCount;
    if (!inBuffer) {
      PumpPendingMessages();
      // Near the end of the medium a full 16-sector read would come back short.
      uint64_t left = media.sectorCount > sector ? media.sectorCount - sector : 1;
      uint32_t count = left < Media::kMaxSectorsPerRead ? static_cast<uint32_t>(left) : Media::kMaxSectorsPerRead;
      if (!media.ReadSectors(sector, count)) return false;
      bufferFirst = sector;
      bufferCount = count;
    }
    uint64_t take = wanted - done < ss ? wanted - done : ss;
    std::memcpy(dest + done, media.buffer + static_cast<std::size_t>(sector - bufferFirst) * ss, take);
    done += take;
    sector = nextSector(sector);
  }
  // A chain that ends before the size leaves the rest of the file empty, not
  // whatever the caller's memory held.
  if (done < wanted) std::memset(dest + done, 0, wanted - done);
  return true;
}
