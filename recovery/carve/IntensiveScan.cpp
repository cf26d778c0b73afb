#include "IntensiveScan.h"

#include <algorithm>
#include <cstring>

#include "File.h"
#include "Identify.h"
#include "Media.h"
#include "PdfEnd.h"
#include "PhotoOverEnd.h"
#include "Recovery.h"
#include "TextIds.h"
#include "Trace.h"

namespace {

constexpr uint32_t kWindowSectors = 12;
constexpr uint32_t kEmptyStretch = 100;  // more empty sectors than this end a file at its data

// Only zero bytes are empty: erased flash (all FF) is data. The bytes are all
// equal when each equals the one after it.
bool HoldsData(const uint8_t* sector, uint32_t bytes) {
  return sector[0] != 0 || std::memcmp(sector, sector + 1, bytes - 1) != 0;
}

}  // namespace

void IntensiveScan::run() {
  progressBase_ = recovery_.progressPos;
  if (recovery_.options.suppressIntensive) {
    TraceMessage("Intensive scan suppressed, skipped");
    return;
  }
  Media& media = recovery_.media;
  uint32_t s = start_;
  recovery_.LogById(kTextSectorSearchBegins);
  TraceMessage("There are %d sectors per cluster, starting at %d", sectorsPerCluster_, s);
  const uint32_t ss = media.sectorSize;
  const uint32_t end = recovery_.scanEnd;
  File* open = nullptr;  // the record that the following sectors extend
  uint32_t lastData = 0;   // the last sector with data since it opened
  // As Recovery::identify asks it, made once for the whole search.
  Identifier identifier(media, recovery_.dictionary, &recovery_);
  identifier.options = recovery_.options.types;
  Identification type;
  for (; s < end && !recovery_.stopRequested(); recovery_.advanceProgress(progressFor(s)), ++s) {
    if (recovery_.isUsed(s)) {
      if (open != nullptr) closeScanRecord(*open, s, lastData);
      open = nullptr;
      continue;
    }
    recovery_.markUsed(s, 1);
    if (!media.ReadSectors(s, kWindowSectors)) continue;
    if (identifier.identify(s, kWindowSectors, open, type)) {
      if (open != nullptr) closeScanRecord(*open, s, lastData);
      open = nullptr;
      ++recovery_.fileCounter;
      lastData = 0;
      File* record = new File(File::GeneratedName("Rec", recovery_.fileCounter, type.extension));
      record->appendChild(recovery_.root);
      record->isComplete = true;
      record->isPicture = type.picture;
      // A photo's own walk went over every byte of it, which holds no other
      // photo's start; other files are looked through for one.
      if (type.length != 0 && !crossesClaimed(s, type.length) &&
          (type.extension == "jpg" || !PhotoRunsPastTheEnd(media, s, type.length, &recovery_))) {
        s += placeExactFile(*record, s, type.length);
        continue;
      }
      record->addRun(s, 1);
      open = record;
    } else if (open != nullptr) {
      open->addRun(s, 1);
    }
    // The identification may have read other sectors: the first one now in the buffer counts.
    if (HoldsData(media.buffer, ss)) lastData = s;
  }
  if (open != nullptr) closeScanRecord(*open, s, lastData);
  if (recovery_.fileCounter != 0) recovery_.LogById(kTextSectorSearchFound, recovery_.fileCounter);
}

// The sectors after s are claimed only by the file system (the search has
// not reached them): a length that runs into one belongs to a file whose
// rest lies elsewhere, so the record is extended as one of unknown length.
bool IntensiveScan::crossesClaimed(uint32_t s, uint64_t length) const {
  const uint32_t ss = recovery_.media.sectorSize;
  const uint64_t after = (length + ss - 1) / ss - 1;
  return recovery_.usedSectors().unusedSectorsFrom(static_cast<uint64_t>(s) + 1, after) < after;
}

// The file's own length: the search goes on after its last sector, which the
// medium may cut short.
uint32_t IntensiveScan::placeExactFile(File& record, uint32_t s, uint64_t length) {
  const Media& media = recovery_.media;
  const uint32_t ss = media.sectorSize;
  uint64_t sectors = (length + ss - 1) / ss;
  const uint64_t onMedium = std::min<uint64_t>(media.sectorCount, UINT32_MAX) - s;
  if (sectors > onMedium) {
    sectors = onMedium;
    record.isComplete = false;
  }
  record.size = std::min<uint64_t>(length, sectors * ss);
  if (sectors == 0) return 0;
  record.addRun(s, static_cast<uint32_t>(sectors));
  recovery_.markUsed(s, static_cast<uint32_t>(sectors));
  return static_cast<uint32_t>(sectors - 1);
}

// A record without its own length ends at its last sector with data when
// more than kEmptyStretch empty sectors (those between lastData and position)
// followed it; its runs stay as they are. A PDF ends at its last "%%EOF".
void IntensiveScan::closeScanRecord(File& record, uint32_t position, uint32_t lastData) const {
  const uint64_t first = record.nextSector(0);
  const uint32_t ss = recovery_.media.sectorSize;
  if (lastData != 0 && lastData >= first && position > static_cast<uint64_t>(lastData) + kEmptyStretch + 1)
    record.size = (lastData - first + 1) * ss;
  else
    record.size = record.countSectors() * ss;
  CutPdfAtLastEnd(recovery_.media, record, &recovery_);
}

uint32_t IntensiveScan::progressFor(uint32_t s) const {
  const uint64_t end = recovery_.scanEnd;
  if (end <= start_ || end <= progressBase_ || s < start_) return progressBase_;
  const uint64_t done = std::min<uint64_t>(s - start_ + 1, end - start_);
  return static_cast<uint32_t>(progressBase_ + done * (end - progressBase_) / (end - start_));
}
