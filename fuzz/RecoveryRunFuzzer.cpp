// Fuzzes the whole recovery run on a small card held in memory. The input is
// a byte of options, then sectors, each as its 32-bit little-endian number
// and its 512 bytes, placed on a card of 2048 zero sectors (numbers wrap).
// fat_seed turns card images into such inputs.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "Media.h"
#include "MemoryDevice.h"
#include "Recovery.h"
#include "ShippedDictionary.h"
#include "StatusList.h"

namespace {

constexpr std::size_t kSector = 512;
constexpr std::size_t kCardSectors = 2048;  // 1 MiB: a walk to its end stays short

TypeDB* dictionary = nullptr;

std::vector<uint8_t> Card(const uint8_t* data, std::size_t size) {
  std::vector<uint8_t> card(kCardSectors * kSector, 0);
  for (std::size_t at = 0; at + 4 + kSector <= size; at += 4 + kSector) {
    uint32_t sector = data[at] | data[at + 1] << 8 | data[at + 2] << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
    std::copy(data + at + 4, data + at + 4 + kSector, card.begin() + (sector % kCardSectors) * kSector);
  }
  return card;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
  // The run traces as it goes: send the lines where they cannot be kept.
  setenv("XDG_DOCUMENTS_DIR", "/proc/vantrel-fuzz-no-trace", 1);
  dictionary = LoadShippedDictionary((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t options = data[0];
  MemoryDeviceOpener devices;
  devices.Add("card.img", Card(data + 1, size - 1));
  Media media(&devices);
  if (!media.OpenImage("card.img")) std::abort();
  Recovery run(media, (options & 0x10) != 0 ? dictionary : nullptr);
  run.options.includeDeleted = (options & 0x01) != 0;
  run.options.forceIntensive = (options & 0x02) != 0;
  run.options.keepPartial = (options & 0x04) != 0;
  run.options.suppressIntensive = (options & 0x08) != 0;
  run.options.types.wantTiff = (options & 0x20) != 0;
  std::size_t lines = 0;
  run.setStatusList(std::make_unique<CallbackStatusList>([&lines](const std::string&) { ++lines; }));
  if (!run.start()) std::abort();
  run.startEvent.set();
  run.waitUntilFinished();
  // Every run ends with its summary.
  if (lines < 2 || run.progressPos.load() != run.scanEnd.load()) std::abort();
  return 0;
}
