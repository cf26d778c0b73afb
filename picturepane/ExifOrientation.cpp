#include "ExifOrientation.h"

#include "JpegSegments.h"
#include "TiffDirectory.h"

namespace {

constexpr uint8_t kApp1 = 0xE1;

int TiffOrientation(const SectorWindow& tiff) {
  TiffDirectory directory(tiff);
  uint32_t value = 0;
  if (!directory.Valid() || !directory.Value(directory.First(), TiffDirectory::kOrientation, value)) return 1;
  return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

int JpegOrientation(const SectorWindow& jpeg) {
  int orientation = 1;
  ForEachJpegSegment(jpeg, [&](uint8_t marker, uint64_t at, uint16_t length) {
    if (marker != kApp1 || length < 8 || !jpeg.matches(at + 4, "Exif\0\0", 6)) return false;
    orientation = TiffOrientation(SectorWindow(jpeg.data() + at + 10, length - 8));
    return true;
  });
  return orientation;
}

}  // namespace

int ExifOrientation(const SectorWindow& data) {
  if (data.u8(0) == 0xFF && data.u8(1) == 0xD8) return JpegOrientation(data);
  return TiffOrientation(data);
}
