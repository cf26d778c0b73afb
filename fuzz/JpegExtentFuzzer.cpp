// Fuzzes the JPEG walk: the input is a medium of 512-byte sectors holding a
// JPEG candidate at sector 0, read through Media as the sector search reads it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "JpegExtent.h"
#include "Media.h"
#include "MemoryDevice.h"

namespace {
constexpr std::size_t kSector = 512;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The walk traces every candidate: send the lines where they cannot be kept.
  setenv("XDG_DOCUMENTS_DIR", "/proc/vantrel-fuzz-no-trace", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image(data, data + size);
  image.resize((size + kSector - 1) / kSector * kSector);
  if (image.empty()) return 0;
  MemoryDeviceOpener devices;
  auto medium = devices.Add("card.img", image);
  Media media(&devices);
  if (!media.OpenImage("card.img")) std::abort();
  uint32_t window = media.sectorCount < 12 ? static_cast<uint32_t>(media.sectorCount) : 12;
  if (!media.ReadSectors(0, window)) std::abort();
  uint64_t length = 0;
  if (jpegExtent(media, 0, length) && (length == 0 || length > image.size())) std::abort();
  return 0;
}
