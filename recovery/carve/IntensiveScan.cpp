// The sector search: every sector that no record claims is examined for the
// start of a file. A start opens a record that the following unclaimed
// sectors extend, up to the next start or claimed sector, unless the type
// tells its own length.
#include <algorithm>
#include <cstring>

#include "Media.h"
#include "Recovery.h"
#include "Trace.h"

namespace {

constexpr uint32_t kWindowSectors = 12;
constexpr uint32_t kEmptyStretch = 100;  // more empty sectors than this end a file at its data

constexpr unsigned kSearchBegins = 507;
constexpr unsigned kSearchFound = 508;

// Only zero bytes are empty: erased flash (all FF) is data. The bytes are all
// equal when each equals the one after it.
bool HoldsData(const uint8_t* sector, uint32_t bytes) {
  return sector[0] != 0 || std::memcmp(sector, sector + 1, bytes - 1) != 0;
}

}  // namespace

void Recovery::intensiveScan() {
  pendingExtent = 0;
  progressPos = 0;
  if (suppressIntensive) {
    TraceMessage("Intensive scan suppressed, skipped");
    return;
  }
  uint32_t s = sectorsPerCluster != 0 ? firstDataSector : 0;
  LogById(kSearchBegins);
  TraceMessage("There are %d sectors per cluster, starting at %d", sectorsPerCluster, s);
  const uint32_t ss = media.sectorSize;
  const uint32_t end = scanEnd;
  File* open = nullptr;  // the record that the following sectors extend
  uint32_t lastData = 0;   // the last sector with data since it opened
  for (; s < end && !stopRequested(); progressPos.fetch_add(1, std::memory_order_relaxed), ++s) {
    if (isUsed(s)) {
      if (open != nullptr) closeScanRecord(*open, s, lastData);
      open = nullptr;
      continue;
    }
    markUsed(s, 1);
    if (!media.ReadSectors(s, kWindowSectors)) continue;
    std::string extension;
    bool picture = false;
    if (identify(s, kWindowSectors, extension, picture, open)) {
      if (open != nullptr) closeScanRecord(*open, s, lastData);
      open = nullptr;
      ++fileCounter;
      lastData = 0;
      File* record = new File(File::GeneratedName("Rec", fileCounter, extension));
      record->appendChild(root);
      record->isComplete = true;
      record->isPicture = picture;
      if (pendingExtent != 0) {
        // The file's own length: the search goes on after its last sector,
        // which the medium may cut short.
        uint64_t sectors = (pendingExtent + ss - 1) / ss;
        const uint64_t onMedium = std::min<uint64_t>(media.sectorCount, UINT32_MAX) - s;
        if (sectors > onMedium) {
          sectors = onMedium;
          record->isComplete = false;
        }
        record->size = std::min<uint64_t>(pendingExtent, sectors * ss);
        pendingExtent = 0;
        if (sectors == 0) continue;
        record->addRun(s, static_cast<uint32_t>(sectors));
        markUsed(s, static_cast<uint32_t>(sectors));
        s += static_cast<uint32_t>(sectors - 1);
        continue;
      }
      record->addRun(s, 1);
      open = record;
    } else if (open != nullptr) {
      open->addRun(s, 1);
    }
    // The identification may have read other sectors: the first one now in the buffer counts.
    if (HoldsData(sectorBuffer(), ss)) lastData = s;
  }
  if (open != nullptr) closeScanRecord(*open, s, lastData);
  if (fileCounter != 0) LogById(kSearchFound, fileCounter);
}

// A record without its own length ends at its last sector with data when
// more than kEmptyStretch empty sectors (those between lastData and position)
// followed it; its runs stay as they are.
void Recovery::closeScanRecord(File& record, uint32_t position, uint32_t lastData) const {
  const uint64_t first = record.nextSector(0);
  if (lastData != 0 && lastData >= first && position > static_cast<uint64_t>(lastData) + kEmptyStretch + 1)
    record.size = (lastData - first + 1) * media.sectorSize;
  else
    record.size = record.countSectors() * media.sectorSize;
}
