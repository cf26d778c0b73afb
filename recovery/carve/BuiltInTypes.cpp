// The built-in type tests: one row per format, tried in order; the first row
// whose check succeeds names the type. Each check reads the window only
// through SectorWindow, so an offset taken from the data cannot lead outside it.
#include <cstdint>

#include "File.h"
#include "FormatLengths.h"
#include "IdentifyProbe.h"
#include "JpegExtent.h"
#include "MpegAudioFrame.h"

namespace {

using Check = bool (*)(IdentifyProbe&);

void Name(IdentifyProbe& probe, const char* extension, bool picture) {
  probe.result.extension = extension;
  probe.result.picture = picture;
}

// 1. A JPEG start that the marker walk confirms; its end gives the length.
bool Jpeg(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  bool start = (probe.options.wantJpeg && w.u8(0) == 0xFF && w.u8(1) == 0xD8) || w.matches(6, "JFIF");
  if (!start) return false;
  uint64_t length = 0;
  if (!jpegExtent(probe.media, probe.sector, length, probe.worker)) {
    // The walk read on through the buffer: the later rows look at this sector.
    probe.RestoreWindow();
    return false;
  }
  probe.result.length = length;
  Name(probe, "jpg", true);
  return true;
}

bool IsPackOrVideoStart(uint32_t code) { return code == 0x000001BA || code == 0x000001E0; }

// 2. An MPEG program stream: a start code at 0 and a pack or video start at
// 2048; the walk over its packs gives the length. Without one, each pack
// would start a file of its own: the open stream goes on instead.
bool MpegStream(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  uint32_t first = w.be32(0);
  if (!probe.options.wantVideo || !(first == 0x000001B3 || IsPackOrVideoStart(first))) return false;
  if (!IsPackOrVideoStart(w.be32(2048))) return false;
  if (probe.openRecord != nullptr && probe.openRecord->hasExtension("mpg")) return false;
  probe.result.length = MpegStreamFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "mpg", false);
  return true;
}

// 3. A QuickTime movie that begins with its movie or data atom, or with a
// wide or free atom (common in other data too) when the box walk confirms it.
bool QuickTime(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  if (!probe.options.wantVideo) return false;
  const bool movieAtom = w.matches(4, "moov") || w.matches(4, "mdat");
  if (!movieAtom && !w.matches(4, "wide") && !w.matches(4, "free")) return false;
  const uint64_t length = IsoMediaFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  if (length == 0 && !movieAtom) {
    probe.RestoreWindow();
    return false;
  }
  probe.result.length = length;
  Name(probe, "mov", false);
  return true;
}

// An ISO media file's extension by the major brand of its file-type box.
void NameByBrand(IdentifyProbe& probe, const SectorWindow& brand) {
  if (brand.matches(0, "qt  ")) return Name(probe, "mov", false);
  if (brand.matches(0, "3gp")) return Name(probe, "3gp", false);
  if (brand.matches(0, "3g2")) return Name(probe, "3g2", false);
  if (brand.matches(0, "M4A ")) return Name(probe, "m4a", false);
  if (brand.matches(0, "crx ")) return Name(probe, "cr3", true);
  Name(probe, "mp4", false);
}

// 4. A file-type box that the box walk confirms, or one of an MP4 directly
// followed by the movie box (fast start) when the walk cannot tell the length.
bool Mp4(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  if (!probe.options.wantVideo || !w.matches(4, "ftyp")) return false;
  const uint32_t boxLength = w.be32(0);
  const bool fastStart =
      w.matches(8, "mp") && boxLength >= 17 && boxLength <= 4095 && w.matches(boxLength + 4, "moov");
  // The walk reads on through the buffer: the brand is kept aside.
  const uint8_t brand[4] = {w.u8(8), w.u8(9), w.u8(10), w.u8(11)};
  const uint64_t length = IsoMediaFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  if (length == 0 && !fastStart) {
    probe.RestoreWindow();
    return false;
  }
  probe.result.length = length;
  NameByBrand(probe, SectorWindow(brand, sizeof brand));
  return true;
}

// 5. The ASF header object.
bool Asf(IdentifyProbe& probe) {
  static const uint8_t kHeaderObject[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
  if (!probe.options.wantVideo || !probe.window.matches(0, kHeaderObject, sizeof kHeaderObject)) return false;
  Name(probe, "asf", false);
  return true;
}

// 6. A RIFF file of AVI form; its RIFF chunks give the length.
bool Avi(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  if (!probe.options.wantAvi || !w.matches(0, "RIFF") || !w.matches(8, "AVI")) return false;
  probe.result.length = RiffFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "avi", false);
  return true;
}

// 7. MPEG audio frames (eleven sync bits, so MPEG-2.5 too), or an ID3 tag
// before them; the frame walk gives the length.
bool Mp3(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  bool frameSync = probe.options.wantMp3 && HasFrameSync(w.be32(0)) && w.u8(2) != 0xFF;
  if (!frameSync && !w.matches(0, "ID3")) return false;
  if (!Mp3Starts(probe)) return false;
  probe.result.length = Mp3FileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "mp3", false);
  return true;
}

// 8. TIFF in either byte order; its directories give the length.
bool Tiff(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  bool intel = w.matches(0, "II") && w.le16(2) == 42;
  bool motorola = w.matches(0, "MM") && w.be16(2) == 42;
  if (!probe.options.wantTiff || !(intel || motorola)) return false;
  probe.result.length = TiffFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "tif", true);
  return true;
}

// 9. A Windows program or library: the MZ header points at the PE header.
bool Executable(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  if (!w.matches(0, "MZ")) return false;
  int32_t pe = static_cast<int32_t>(w.le32(60));
  if (pe <= 0 || static_cast<uint64_t>(pe) >= 8ULL * probe.sectorSize()) return false;
  if (!w.matches(static_cast<uint64_t>(pe), "PE\0\0") || !w.has(static_cast<uint64_t>(pe) + 22, 2)) return false;
  bool library = (w.le16(static_cast<uint64_t>(pe) + 22) & 0x2000) != 0;
  Name(probe, library ? "dll" : "exe", false);
  return true;
}

// 10. A Windows bitmap whose header fields are all plausible.
bool Bitmap(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  if (!w.matches(0, "BM") || w.le16(6) != 0 || w.le16(8) != 0 || !w.has(26, 4)) return false;
  uint32_t size = w.le32(2);
  if (size >= 0x800000 || w.le32(10) >= size || w.le16(28) > 32 || w.le16(26) > 4) return false;
  if (static_cast<int32_t>(w.le32(18)) >= 20480 || static_cast<int32_t>(w.le32(22)) >= 20480) return false;
  Name(probe, "bmp", true);
  return true;
}

// 11. PNG: its signature and the IHDR chunk; the chunk walk gives the length.
bool Png(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  static const uint8_t kHeaderLength[] = {0, 0, 0, 0x0D};
  if (!w.matches(1, "PNG") || !w.matches(8, kHeaderLength, 4) || !w.matches(12, "IHDR")) return false;
  probe.result.length = PngFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "png", true);
  return true;
}

// 12. GIF; the block walk gives the length.
bool Gif(IdentifyProbe& probe) {
  if (!probe.window.matches(0, "GIF8")) return false;
  probe.result.length = GifFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "gif", true);
  return true;
}

// 13. A DVR recording.
bool Dvr(IdentifyProbe& probe) {
  static const uint8_t kDvr[] = {'D', 'V', 'R', 0x1A, 0, 0, 0, 0, 0};
  if (!probe.window.matches(0, kDvr, sizeof kDvr)) return false;
  Name(probe, "dvr", false);
  return true;
}

// 14. A compound document, named by the first stream its directory knows.
bool CompoundDocument(IdentifyProbe& probe) {
  static const uint8_t kSignature[] = {0xD0, 0xCF, 0x11, 0xE0};
  if (!probe.window.matches(0, kSignature, sizeof kSignature)) return false;
  std::string extension = CompoundDocumentExtension(probe);
  if (extension.empty()) return false;
  probe.result.extension = extension;
  probe.result.picture = false;
  return true;
}

// 15. A Visio drawing of the old format.
bool VisioDrawing(IdentifyProbe& probe) {
  if (!probe.window.matches(0, "Visio (TM) Drawing\r\n")) return false;
  Name(probe, "vsd", false);
  return true;
}

// 16. A ZIP archive; walking its records gives the length when they carry it.
bool Zip(IdentifyProbe& probe) {
  if (!probe.window.matches(0, "PK\x03\x04")) return false;
  probe.result.length = ZipArchiveLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "zip", false);
  return true;
}

// 17. A RIFF file of WAVE form; its RIFF chunk gives the length.
bool Wave(IdentifyProbe& probe) {
  const SectorWindow& w = probe.window;
  if (!w.matches(0, "RIFF") || !w.matches(8, "WAVE")) return false;
  probe.result.length = RiffFileLength(probe.media, probe.sector, probe.windowSectors, probe.worker);
  Name(probe, "wav", false);
  return true;
}

// The types every run looks for (by its options), then, only with the
// option for all other types, the rest.
const Check kChosenTypes[] = {Jpeg, MpegStream, QuickTime, Mp4, Asf, Avi, Mp3, Tiff};
const Check kOtherTypes[] = {Executable, Bitmap, Png, Gif, Dvr, CompoundDocument, VisioDrawing, Zip, Wave};

}  // namespace

bool IdentifyWithBuiltInTests(IdentifyProbe& probe) {
  for (Check check : kChosenTypes)
    if (check(probe)) return true;
  if (!probe.options.wantOthers) return false;
  for (Check check : kOtherTypes)
    if (check(probe)) return true;
  return false;
}
