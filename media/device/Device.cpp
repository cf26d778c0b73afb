#include "Device.h"

DiskGeometry SynthesisedGeometry(uint64_t deviceBytes, uint32_t bytesPerSector, uint32_t mediaType) {
  DiskGeometry geometry;
  geometry.mediaType = mediaType;
  geometry.tracksPerCylinder = 255;
  geometry.sectorsPerTrack = 63;
  geometry.bytesPerSector = bytesPerSector;
  uint64_t cylinderBytes = 255ull * 63ull * bytesPerSector;
  geometry.cylinders = cylinderBytes == 0 ? 0 : static_cast<int64_t>(deviceBytes / cylinderBytes);
  return geometry;
}
