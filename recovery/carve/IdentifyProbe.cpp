#include "IdentifyProbe.h"

bool IdentifyProbe::RestoreWindow() {
  if (windowSectors > Media::kMaxSectorsPerRead || !media.ReadSectors(sector, windowSectors)) {
    window = SectorWindow();
    return false;
  }
  window = SectorWindow(media.buffer, static_cast<std::size_t>(windowSectors) * media.sectorSize);
  return true;
}
