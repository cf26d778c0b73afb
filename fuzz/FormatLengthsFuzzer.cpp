// Fuzzes the RIFF, PNG, GIF, TIFF, ISO media, MP3 and MPEG program stream
// walks, and the PDF cut over a record of the whole medium: the input is a medium of 512-byte
// sectors holding a candidate at sector 0, read as the sector search reads
// it. Any length given must lie inside the medium.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "File.h"
#include "FormatLengths.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "PdfEnd.h"

namespace {
constexpr std::size_t kSector = 512;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image(data, data + size);
  image.resize((size + kSector - 1) / kSector * kSector);
  if (image.empty()) return 0;
  MemoryDeviceOpener devices;
  auto medium = devices.Add("card.img", image);
  Media media(&devices);
  if (!media.OpenImage("card.img")) std::abort();
  uint32_t window = media.sectorCount < 12 ? static_cast<uint32_t>(media.sectorCount) : 12;
  for (auto walk : {RiffFileLength, PngFileLength, GifFileLength, TiffFileLength, IsoMediaFileLength, Mp3FileLength,
                    MpegStreamFileLength}) {
    if (!media.ReadSectors(0, window)) std::abort();
    if (walk(media, 0, window, nullptr) > image.size()) std::abort();
  }
  File record(File::GeneratedName("Rec", 1, "pdf"));
  record.addRun(0, static_cast<uint32_t>(media.sectorCount));
  record.size = image.size();
  if (PdfEndLength(media, record, nullptr) > image.size()) std::abort();
  return 0;
}
