// Whether a record found through the directory walk is a picture the review
// step can show: by its extension, else by the start of its data.
#include <cctype>

#include "File.h"
#include "Media.h"
#include "SectorWindow.h"

namespace {

bool PictureExtension(const std::string& extension) {
  static const char* const kExtensions[] = {"GIF", "JPG", "TIF", "BMP"};
  if (extension.size() != 3) return false;
  for (const char* known : kExtensions) {
    bool same = true;
    for (int i = 0; i < 3; ++i)
      if (std::toupper(static_cast<unsigned char>(extension[i])) != known[i]) same = false;
    if (same) return true;
  }
  return false;
}

bool PictureData(const SectorWindow& w) {
  return w.matches(0, "BM") || w.matches(0, "GIF8") || (w.u8(0) == 0xFF && w.u8(1) == 0xD8 && w.has(0, 2)) ||
         w.matches(6, "JFIF") || (w.matches(0, "II") && (w.le16(2) == 42 || w.le16(2) == 26)) ||
         (w.matches(0, "MM") && w.le16(2) == 0x2A00);
}

}  // namespace

bool File::sniffPicture(Media& media) {
  if (isDirectory) return false;
  if (PictureExtension(shortExtension())) {
    isPicture = true;
    return true;
  }
  uint32_t first = nextSector(0);
  if (runs.empty() || !media.ReadSectors(first, 1)) return false;
  if (!PictureData(SectorWindow(media.buffer, media.sectorSize))) return false;
  isPicture = true;
  return true;
}
