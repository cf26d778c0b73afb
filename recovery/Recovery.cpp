#include "Recovery.h"

#include <cstring>

#include "CrashFilter.h"
#include "Identify.h"
#include "Media.h"
#include "TextSource.h"
#include "Trace.h"

namespace {
constexpr std::size_t kLogTemplateLimit = 299;
constexpr std::size_t kLogLineLimit = 399;
constexpr uint32_t kStartPollMs = 10;  // how soon a stop request ends the wait
}  // namespace

Recovery::Recovery(Media& sectorSource, TypeDB* typeDictionary) : media(sectorSource), dictionary(typeDictionary) {
  InstallCrashFilter();
}

Recovery::~Recovery() {
  // The thread uses every field below: it must be gone before they are.
  waitUntilFinished();
}

uint8_t* Recovery::sectorBuffer() const { return media.buffer; }

bool Recovery::waitForStart() {
  while (!startEvent.wait(kStartPollMs))
    if (stopRequested()) return false;
  return !stopRequested();
}

void Recovery::normaliseTypeOptions() {
  if (wantOthers) {
    wantJpeg = wantVideo = wantAvi = wantMp3 = true;
  } else if (!wantJpeg && !wantVideo && !wantAvi && !wantMp3) {
    wantJpeg = wantVideo = wantAvi = wantMp3 = wantOthers = true;
  }
}

void Recovery::allocateUsedMap(uint32_t bytes) {
  usedMap.assign(bytes, 0);
  usedMapBytes = bytes;
}

void Recovery::markUsed(uint32_t first, uint32_t count) {
  uint64_t end = static_cast<uint64_t>(first) + count;
  if (end / 8 >= usedMapBytes) return;
  if (first > progressPos.load(std::memory_order_relaxed)) progressPos.store(first, std::memory_order_relaxed);
  uint64_t s = first;
  for (; s < end && (s & 7) != 0; ++s) usedMap[s / 8] |= static_cast<uint8_t>(0x80 >> (s & 7));
  uint64_t wholeBytes = (end - s) / 8;
  std::memset(&usedMap[s / 8], 0xFF, wholeBytes);
  for (s += wholeBytes * 8; s < end; ++s) usedMap[s / 8] |= static_cast<uint8_t>(0x80 >> (s & 7));
}

bool Recovery::isUsed(uint32_t sector) const {
  if (sector / 8 >= usedMapBytes) return false;
  return (usedMap[sector / 8] & (0x80 >> (sector & 7))) != 0;
}

uint64_t Recovery::unusedSectorsFrom(uint64_t first, uint64_t count) const {
  const uint64_t mapSectors = static_cast<uint64_t>(usedMapBytes) * 8;
  const uint64_t end = first + count;
  uint64_t s = first;
  while (s < end && s < mapSectors) {
    // Whole bytes of free sectors at once: a long free stretch costs little.
    if ((s & 7) == 0 && usedMap[s / 8] == 0 && end - s >= 8) {
      s += 8;
      continue;
    }
    if ((usedMap[s / 8] & (0x80 >> (s & 7))) != 0) return s - first;
    ++s;
  }
  return count;
}

void Recovery::releaseFile(const File& file) {
  const uint64_t mapSectors = static_cast<uint64_t>(usedMapBytes) * 8;
  for (const SectorRun& run : file.runs) {
    uint64_t end = static_cast<uint64_t>(run.first) + run.count;
    if (end > mapSectors) end = mapSectors;
    for (uint64_t s = run.first; s < end; ++s) usedMap[s / 8] &= static_cast<uint8_t>(~(0x80 >> (s & 7)));
  }
}

// A volume label is no file: counting it would report one file more than
// the lists show and could keep a card with few files from being carved.
uint32_t Recovery::countFiles(const File& dir) {
  uint32_t count = 0;
  for (const File* child = dir.firstChild; child != nullptr; child = child->next) {
    if (child->isVolumeLabel) continue;
    if (child->isDirectory) {
      count += countFiles(*child);
    } else {
      ++count;
      foundBytes += child->size;
    }
  }
  return count;
}

uint32_t Recovery::progressPercent() const {
  // 64-bit, so that media beyond 40 million sectors do not wrap.
  uint64_t end = scanEnd.load(std::memory_order_relaxed);
  if (end == 0) return 0;
  return static_cast<uint32_t>(static_cast<uint64_t>(progressPos.load(std::memory_order_relaxed)) * 100 / end);
}

bool Recovery::identify(uint32_t sector, uint32_t windowSectors, std::string& extension, bool& picture,
                        const File* openRecord) {
  Identifier identifier(media, dictionary, this);
  identifier.options = {wantJpeg, wantVideo, wantAvi, wantMp3, wantTiff, wantOthers};
  Identification result;
  bool found = identifier.identify(sector, windowSectors, openRecord, result);
  extension = result.extension;
  picture = result.picture;
  if (found && result.length != 0) pendingExtent = result.length;
  return found;
}

void Recovery::LogByIdWith(unsigned id, const FormatArg* args, std::size_t count) {
  if (statusList == nullptr || !statusList->exists()) return;
  std::string pattern;
  std::string text;
  if (LookupText(id, kLogTemplateLimit, pattern)) {
    text = FormatText(pattern.c_str(), args, count);
    if (text.size() > kLogLineLimit) text.resize(kLogLineLimit);
  } else {
    text = Format("Log message id %d not defined", id);
  }
  TraceMessage("Log: %s", text);
  statusList->add(text);
}
