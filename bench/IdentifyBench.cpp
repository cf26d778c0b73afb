// Throughput of the built-in identification as the sector search uses it: at
// every sector the 12-sector window is read, then identified. Prints, for
// random, zero and real-photo sectors, the window reads alone, reads with
// identification, and what identification itself costs.
//
// Run: build/native/bin/identify_bench [PHOTO.jpg]   (default ../samples/camera.jpg)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "Identify.h"
#include "Media.h"
#include "MemoryDevice.h"

namespace {

constexpr uint32_t kSector = 512;
constexpr uint32_t kWindow = 12;
constexpr uint32_t kSectors = 128 * 1024;  // 64 MiB of medium
constexpr int kRounds = 3;

using Clock = std::chrono::steady_clock;

std::vector<uint8_t> RandomMedium() {
  std::mt19937_64 random(42);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(kSectors) * kSector);
  for (std::size_t i = 0; i < bytes.size(); i += 8) {
    uint64_t value = random();
    std::copy(reinterpret_cast<uint8_t*>(&value), reinterpret_cast<uint8_t*>(&value) + 8, bytes.begin() + i);
  }
  return bytes;
}

// The photo's bytes over and over, from the first sector after its header,
// so that every sector is the inside of a real JPEG.
std::vector<uint8_t> PhotoMedium(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> photo((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (photo.size() < 2 * kSector) return std::vector<uint8_t>();
  std::vector<uint8_t> bytes(static_cast<std::size_t>(kSectors) * kSector);
  std::size_t from = kSector;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = photo[from++];
    if (from == photo.size()) from = kSector;
  }
  return bytes;
}

struct Timing {
  double readSeconds = 1e9;
  double bothSeconds = 1e9;
  uint64_t identified = 0;
};

Timing Measure(std::vector<uint8_t> image) {
  MemoryDeviceOpener devices;
  devices.Add("card.img", std::move(image));
  Media media(&devices);
  Timing timing;
  if (!media.OpenImage("card.img")) return timing;
  Identifier identifier(media, nullptr);
  identifier.options = {true, true, true, true, true, true};
  const uint32_t last = kSectors - kWindow;
  for (int round = 0; round < kRounds; ++round) {
    auto start = Clock::now();
    for (uint32_t s = 0; s < last; ++s) media.ReadSectors(s, kWindow);
    auto read = Clock::now();
    uint64_t identified = 0;
    Identification result;
    for (uint32_t s = 0; s < last; ++s) {
      media.ReadSectors(s, kWindow);
      identified += identifier.identify(s, kWindow, nullptr, result);
    }
    auto both = Clock::now();
    timing.readSeconds = std::min(timing.readSeconds, std::chrono::duration<double>(read - start).count());
    timing.bothSeconds = std::min(timing.bothSeconds, std::chrono::duration<double>(both - read).count());
    timing.identified = identified;
  }
  return timing;
}

void Report(const char* name, const Timing& timing) {
  double bytes = static_cast<double>(kSectors - kWindow) * kSector;
  double identifySeconds = timing.bothSeconds - timing.readSeconds;
  std::printf("%-8s reads %7.2f GB/s   reads+identify %6.2f GB/s   identify alone %7.2f GB/s   (%llu identified)\n",
              name, bytes / timing.readSeconds / 1e9, bytes / timing.bothSeconds / 1e9,
              identifySeconds > 0 ? bytes / identifySeconds / 1e9 : 0.0,
              static_cast<unsigned long long>(timing.identified));
}

}  // namespace

int main(int argc, char** argv) {
  // The JPEG walk traces every candidate; keep the lines out of the figures.
  setenv("XDG_DOCUMENTS_DIR", "/proc/vantrel-bench-no-trace", 1);
  std::string photo = argc > 1 ? argv[1] : "../samples/camera.jpg";
  std::printf("Built-in identification over %u sectors of %u bytes, %u-sector window at every sector\n", kSectors,
              kSector, kWindow);
  Report("random", Measure(RandomMedium()));
  Report("zero", Measure(std::vector<uint8_t>(static_cast<std::size_t>(kSectors) * kSector, 0)));
  std::vector<uint8_t> photos = PhotoMedium(photo);
  if (photos.empty()) {
    std::printf("photo    (no %s: run scripts/make-samples.sh BUILD_DIR/samples)\n", photo.c_str());
    return 1;
  }
  Report("photo", Measure(std::move(photos)));
  return 0;
}
