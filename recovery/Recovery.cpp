#include "Recovery.h"

#include <algorithm>
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

Recovery::Recovery(Media& sectorSource, TypeDB* typeDictionary, const RecoveryOptions& runOptions)
    : media(sectorSource), dictionary(typeDictionary), options(runOptions) {
  InstallCrashFilter();
}

Recovery::~Recovery() {
  // The thread uses every field below: it must be gone before they are.
  waitUntilFinished();
}

bool Recovery::waitForStart() {
  while (!startEvent.wait(kStartPollMs))
    if (stopRequested()) return false;
  return !stopRequested();
}

void Recovery::markUsed(uint32_t first, uint32_t count) {
  if (!used_.markUsed(first, count)) return;
  advanceProgress(first);
}

// Only the worker writes the position, so reading and then raising it is
// safe. Released, so that a reader that sees it also sees the end written
// before it; called for every sector of the search, so no stronger order.
void Recovery::advanceProgress(uint32_t position) {
  if (position > progressPos.load(std::memory_order_relaxed)) progressPos.store(position, std::memory_order_release);
}

// A volume label is no file: counting it would report one file more than
// the lists show and could keep a card with few files from being carved.
uint32_t Recovery::countFiles(const File& dir, uint64_t& bytes) {
  uint32_t count = 0;
  for (const File* child = dir.firstChild; child != nullptr; child = child->next) {
    if (child->isVolumeLabel) continue;
    if (child->isDirectory) {
      count += countFiles(*child, bytes);
    } else {
      ++count;
      bytes += child->size;
    }
  }
  return count;
}

// The worker writes the end before the position whenever both change, so
// reading the position first never pairs a new position with an old end
// (which would overshoot). The other pairing reads low for a moment, which
// the remembered answer hides: the bar never goes back.
uint32_t Recovery::progressPercent() const {
  const uint64_t position = progressPos.load(std::memory_order_acquire);
  const uint64_t end = scanEnd.load(std::memory_order_acquire);
  if (end == 0) return lastPercent_;
  // 64-bit, so that media beyond 40 million sectors do not wrap.
  const uint64_t percent = std::min<uint64_t>(position * 100 / end, 100);
  if (percent > lastPercent_) lastPercent_ = static_cast<uint32_t>(percent);
  return lastPercent_;
}

bool Recovery::identify(uint32_t sector, uint32_t windowSectors, const File* openRecord, Identification& result) {
  Identifier identifier(media, dictionary, this);
  identifier.options = options.types;
  return identifier.identify(sector, windowSectors, openRecord, result);
}

void Recovery::LogByIdWith(unsigned id, const FormatArg* args, std::size_t count) {
  if (statusList_ == nullptr || !statusList_->exists()) return;
  std::string pattern;
  std::string text;
  if (LookupText(id, kLogTemplateLimit, pattern)) {
    text = FormatText(pattern.c_str(), args, count);
    if (text.size() > kLogLineLimit) text.resize(kLogLineLimit);
  } else {
    text = Format("Log message id %d not defined", id);
  }
  TraceMessage("Log: %s", text);
  statusList_->add(text);
}
