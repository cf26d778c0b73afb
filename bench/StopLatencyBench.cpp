// How quickly a run on a slow card reader gives way: the modelled USB reader
// of the sector-source benchmark (0.5 ms a request, 40 MB/s) under a 64 MiB
// card with a few photos and no file system, so that the sector search reads
// it all. A second thread stands in for the user-interface thread: it serves
// every line the run reports, as the status step's list does, and polls the
// progress every 50 ms. Printed: the time from a stop request (Back, or
// closing the program) until the worker has ended by itself, at ten moments
// of the run. Nothing here is a pass or fail.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "Media.h"
#include "MemoryDevice.h"
#include "Recovery.h"
#include "StatusList.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint64_t kCardBytes = uint64_t{64} << 20;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Photo-like starts every 4 MiB: a JPEG marker and noise.
std::vector<uint8_t> Card() {
  std::vector<uint8_t> bytes(kCardBytes, 0);
  uint32_t noise = 12345;
  for (uint64_t at = 1 << 20; at + (256 << 10) < kCardBytes; at += 4 << 20) {
    const uint8_t start[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00};
    std::copy(std::begin(start), std::end(start), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    for (uint64_t i = at + sizeof start; i < at + (256 << 10); ++i) {
      noise = noise * 1103515245 + 12345;
      bytes[i] = static_cast<uint8_t>(noise >> 16);
    }
  }
  return bytes;
}

}  // namespace

int main() {
  MemoryDeviceOpener devices;
  auto medium = devices.Add("card.img", Card());
  medium->latencyMicroseconds = 500;
  medium->bytesPerSecond = 40'000'000;
  medium->waitForModelledTime = true;

  std::vector<double> stops;
  for (int moment = 1; moment <= 10; ++moment) {
    Media media(&devices);
    if (!media.OpenImage("card.img")) return 1;
    Recovery run(media, nullptr);
    run.options.forceIntensive = true;
    std::atomic<bool> serving{true};
    run.setStatusList(std::make_unique<CallbackStatusList>([](const std::string&) {}));
    std::thread poller([&run, &serving] {
      while (serving) {
        run.progressPercent();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
    run.start();
    run.startEvent.set();
    std::this_thread::sleep_for(std::chrono::milliseconds(150 * moment));
    const Clock::time_point asked = Clock::now();
    const bool byItself = run.end(2000);
    stops.push_back(byItself ? MillisecondsSince(asked) : -1);
    serving = false;
    poller.join();
  }
  std::printf("slow reader (0.5 ms a request, 40 MB/s), 64 MiB card, sector search\n");
  std::printf("stop request to ended worker, at 10 moments (ms):");
  for (double ms : stops) std::printf(" %.1f", ms);
  std::printf("\nlongest: %.1f ms (-1: did not stop by itself)\n", *std::max_element(stops.begin(), stops.end()));
  return 0;
}
