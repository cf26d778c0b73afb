// Throughput of the sector source in the recovery run's read pattern (12
// sectors from every sector in turn) and the overhead of its end-of-data
// probe (16 sectors every 512 sectors, walking backwards). Prints its figures;
// nothing here is a pass or fail.
//
// Usage: media_bench [FOLDER]   (FOLDER holds the 1 GiB scratch image; default
// $TMPDIR or /tmp)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Media.h"
#include "MemoryDevice.h"
#include "PlatformDevice.h"
#include "ReadAheadDevice.h"

namespace {

constexpr uint32_t kRun = 12;
constexpr uint64_t kMiB = 1 << 20;
constexpr uint64_t kImageBytes = 1024 * kMiB;

double Seconds(std::chrono::steady_clock::duration elapsed) {
  return std::chrono::duration<double>(elapsed).count();
}

// Reads every sector of the source as the run does; the seconds it took, or
// a negative number when a read failed.
double ReadLikeTheRun(Media& media) {
  auto start = std::chrono::steady_clock::now();
  uint32_t sectors = static_cast<uint32_t>(media.sectorCount);
  unsigned checksum = 0;
  for (uint32_t s = 0; s + kRun <= sectors; ++s) {
    if (!media.ReadSectors(s, kRun)) return -1;
    checksum += media.buffer[0];
  }
  double seconds = Seconds(std::chrono::steady_clock::now() - start);
  return checksum == 0xFFFFFFFFu ? -1 : seconds;  // keeps the reads from being optimised away
}

bool MakeImage(const std::string& path) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  std::vector<uint8_t> chunk(kMiB);
  bool ok = true;
  for (uint64_t m = 0; ok && m < kImageBytes / kMiB; ++m) {
    for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<uint8_t>(i * 31 + m);
    ok = write(fd, chunk.data(), chunk.size()) == static_cast<ssize_t>(chunk.size());
  }
  return close(fd) == 0 && ok;
}

void ImageFileThroughput(const std::string& folder) {
  std::string path = folder + "/media-bench.img";
  std::printf("1 GiB image file in the page cache, read through Media (target: at least 3 GB/s):\n");
  if (!MakeImage(path)) {
    std::printf("  cannot write %s\n", path.c_str());
    return;
  }
  struct Case {
    const char* name;
    DeviceOpener& devices;
    int passes;
  };
  const Case cases[] = {
      {"with read-ahead (as the program reads)", DefaultDeviceOpener(), 4},
      {"without read-ahead (one pread per request)", PlatformDeviceOpener(), 2},
  };
  for (const Case& c : cases) {
    Media media(&c.devices);
    if (!media.OpenImage(path)) {
      std::printf("  cannot open %s\n", path.c_str());
      break;
    }
    double best = 0;
    for (int pass = 0; pass < c.passes; ++pass) {  // the first pass also warms the page cache
      double seconds = ReadLikeTheRun(media);
      if (seconds > 0 && (best == 0 || seconds < best)) best = seconds;
    }
    std::printf("  %-44s %6.2f GB/s\n", c.name, best > 0 ? kImageBytes / best / 1e9 : 0.0);
  }
  std::remove(path.c_str());
}

void UsbReaderThroughput() {
  std::printf("USB card reader model, 500 us per request and 40 MB/s, wall-clock (target: at least 36 MB/s):\n");
  struct Case {
    const char* name;
    bool readAhead;
    uint64_t bytes;
  };
  const Case cases[] = {{"with read-ahead", true, 64 * kMiB}, {"without read-ahead", false, 2 * kMiB}};
  for (const Case& c : cases) {
    MemoryDeviceOpener devices;
    ReadAheadOpener readAhead(devices);
    auto reader = devices.Add("\\\\.\\E:", std::vector<uint8_t>(c.bytes, 0x5A));
    reader->latencyMicroseconds = 500;
    reader->bytesPerSecond = 40000000;
    reader->waitForModelledTime = true;
    PartitionEntry whole;  // one partition over all of it, as on a camera's card
    whole.length = static_cast<int64_t>(c.bytes);
    whole.type = 0x0C;
    reader->partitions = {whole};
    Media media(c.readAhead ? static_cast<DeviceOpener*>(&readAhead) : &devices);
    double seconds = media.OpenDrive('E') ? ReadLikeTheRun(media) : -1;
    double bytes = static_cast<double>(media.sectorCount) * 512;
    double modelled = static_cast<double>(reader->counters.modelledMicroseconds) / 1e6;
    std::printf("  %-20s %6.2f MB/s over %2.0f MiB in %6llu requests (the modelled reader alone: %.2f MB/s)\n",
                c.name, seconds > 0 ? bytes / seconds / 1e6 : 0.0, bytes / kMiB,
                static_cast<unsigned long long>(reader->counters.readRequests), modelled > 0 ? bytes / modelled / 1e6 : 0.0);
  }
}

void EndOfDataProbe() {
  std::printf("End-of-data probe, 16 sectors every 512 sectors backwards over 256 MiB, with read-ahead\n"
              "(target: bytes requested at most 1.1 times the bytes asked for):\n");
  MemoryDeviceOpener devices;
  ReadAheadOpener readAhead(devices);
  auto card = devices.Add("\\\\.\\E:", std::vector<uint8_t>(256 * kMiB, 0));  // empty: the probe walks it all
  Media media(&readAhead);
  if (!media.OpenDrive('E')) return;
  uint64_t asked = 0;
  uint32_t last = static_cast<uint32_t>(media.sectorCount) - 16;
  for (uint32_t s = last - 512; s > 1024; s -= 512) {
    media.ReadSectors(s, 16);
    asked += 16 * 512;
  }
  std::printf("  asked %llu bytes, requested %llu bytes from the device: %.3f times\n",
              static_cast<unsigned long long>(asked), static_cast<unsigned long long>(card->counters.bytesRequested),
              static_cast<double>(card->counters.bytesRequested) / static_cast<double>(asked));
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = argc > 1 ? argv[1] : (tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  // The trace goes to a scratch documents folder, not the user's own.
  std::string scratch = folder + "/media-bench-XXXXXX";
  if (mkdtemp(&scratch[0]) == nullptr) {
    std::fprintf(stderr, "cannot make a scratch folder in %s\n", folder.c_str());
    return 1;
  }
  setenv("XDG_DOCUMENTS_DIR", scratch.c_str(), 1);

  std::printf("Sector source: the recovery run's pattern, 12 sectors from every sector\n\n");
  ImageFileThroughput(scratch);
  std::printf("\n");
  UsbReaderThroughput();
  std::printf("\n");
  EndOfDataProbe();

  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
  return 0;
}
