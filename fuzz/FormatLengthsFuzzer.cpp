// Fuzzes the RIFF, PNG, GIF, TIFF and ISO media walks: the input is a medium of 512-byte
// sectors holding a candidate at sector 0, read as the sector search reads
// it. Any length given must lie inside the medium.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FormatLengths.h"
#include "Media.h"
#include "MemoryDevice.h"

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
  for (auto walk : {RiffFileLength, PngFileLength, GifFileLength, TiffFileLength, IsoMediaFileLength}) {
    if (!media.ReadSectors(0, window)) std::abort();
    if (walk(media, 0, window, nullptr) > image.size()) std::abort();
  }
  return 0;
}
