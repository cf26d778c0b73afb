// Fuzzes identification, with the built-in tests and with the shipped
// dictionary, on a medium of 512-byte sectors. The first byte picks the type
// options and the dictionary, the second the sector identified (an open MP3
// record ends just before it); the rest is the medium.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "File.h"
#include "Identify.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "ShippedDictionary.h"
#include "TypeDB.h"

namespace {

constexpr std::size_t kSector = 512;
TypeDB* dictionary = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
  setenv("XDG_DOCUMENTS_DIR", "/proc/vantrel-fuzz-no-trace", 1);
  dictionary = LoadShippedDictionary((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  uint8_t flags = data[0];
  std::vector<uint8_t> image(data + 2, data + size);
  image.resize((image.size() + kSector - 1) / kSector * kSector);
  uint32_t sectors = static_cast<uint32_t>(image.size() / kSector);
  uint32_t sector = data[1] % sectors;

  MemoryDeviceOpener devices;
  devices.Add("card.img", image);
  Media media(&devices);
  if (!media.OpenImage("card.img")) std::abort();
  uint32_t window = sectors - sector < 12 ? sectors - sector : 12;
  if (!media.ReadSectors(sector, window)) std::abort();

  Identifier identifier(media, (flags & 1) != 0 ? dictionary : nullptr);
  identifier.options.wantJpeg = (flags & 2) != 0;
  identifier.options.wantVideo = (flags & 4) != 0;
  identifier.options.wantAvi = (flags & 8) != 0;
  identifier.options.wantMp3 = (flags & 16) != 0;
  identifier.options.wantTiff = (flags & 32) != 0;
  identifier.options.wantOthers = (flags & 64) != 0;
  File open(File::GeneratedName("Rec", 1, (flags & 128) != 0 ? "mp3" : "csv"));
  if (sector > 0) open.addRun(0, sector);

  Identification result;
  if (identifier.identify(sector, window, sector > 0 ? &open : nullptr, result)) {
    if (result.extension.empty() || result.extension.size() > 8) std::abort();
    uint64_t left = static_cast<uint64_t>(sectors - sector) * kSector;
    if (result.length > left) std::abort();  // no length runs past the medium
  }
  return 0;
}
