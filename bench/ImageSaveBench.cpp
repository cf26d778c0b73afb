// Throughput of saving an image: from the modelled USB card reader (500 us per
// request, 40 MB/s) through the read-ahead that Media opens devices with, and
// from an image file in the page cache. Both save into a real file; the page
// cache figure is also given into a target that drops what it gets, to tell
// the reading from the writing. Prints its figures; nothing here is a pass or
// fail.
//
// Usage: image_save_bench [FOLDER]   (FOLDER holds the 1 GiB scratch image and
// the saved files; default $TMPDIR or /tmp)
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ImageSaver.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "PlatformDevice.h"
#include "ReadAheadDevice.h"

namespace {

constexpr uint64_t kMiB = 1 << 20;
constexpr uint64_t kImageBytes = 1024 * kMiB;

class DroppedFile : public ImageFile {
 public:
  bool Write(const uint8_t*, uint32_t bytes, uint32_t& written, uint32_t&) override {
    written = bytes;
    return true;
  }
  bool Close(uint32_t&) override { return true; }
};

class DroppingTarget : public ImageTarget {
 public:
  std::unique_ptr<ImageFile> Create(const std::u16string&, uint32_t&) override {
    return std::make_unique<DroppedFile>();
  }
  bool Delete(const std::u16string&, uint32_t&) override { return true; }
};

std::u16string Wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

// The seconds one save took, or a negative number when it did not finish.
double TimedSave(Media& media, ImageTarget& target, const std::string& path) {
  ImageSaver saver(media, target);
  uint64_t calls = 0;
  auto start = std::chrono::steady_clock::now();
  ImageSaveResult result = saver.Save(
      Wide(path), [&calls](uint64_t, uint64_t) { ++calls; }, [] { return false; });
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (result.outcome != ImageSaveOutcome::kDone || result.sectorsSaved != media.sectorCount || calls == 0) {
    std::printf("  the save ended early: outcome %d, error %u, %llu sectors\n", static_cast<int>(result.outcome),
                result.error, static_cast<unsigned long long>(result.sectorsSaved));
    return -1;
  }
  return seconds;
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

void UsbReader(const std::string& folder) {
  std::printf("USB card reader model, 500 us per request and 40 MB/s, wall-clock\n"
              "(target: at least 36 MB/s, 90 %% of the reader's bandwidth, into a file):\n");
  const uint64_t bytes = 64 * kMiB;
  DroppingTarget dropping;
  struct Case {
    const char* name;
    ImageTarget& target;
  };
  const Case cases[] = {{"into a file", PlatformImageTarget()}, {"into a target that drops it", dropping}};
  for (const Case& c : cases) {
    MemoryDeviceOpener devices;
    ReadAheadOpener readAhead(devices);
    auto reader = devices.Add("\\\\.\\E:", std::vector<uint8_t>(bytes, 0x5A));
    reader->latencyMicroseconds = 500;
    reader->bytesPerSecond = 40000000;
    reader->waitForModelledTime = true;
    PartitionEntry whole;  // one partition over all of it, as on a camera's card
    whole.length = static_cast<int64_t>(bytes);
    whole.type = 0x0C;
    reader->partitions = {whole};
    Media media(&readAhead);
    if (!media.OpenDrive('E')) return;
    const DeviceCounters before = reader->counters;
    std::string path = folder + "/usb-save.img";
    double seconds = TimedSave(media, c.target, path);
    std::remove(path.c_str());
    const uint64_t requests = reader->counters.readRequests - before.readRequests;
    const uint64_t requested = reader->counters.bytesRequested - before.bytesRequested;
    const double modelled =
        static_cast<double>(reader->counters.modelledMicroseconds - before.modelledMicroseconds) / 1e6;
    std::printf("  %-28s %6.2f MB/s (%.1f %%) over %2.0f MiB in %llu requests of %.0f KiB on average\n"
                "  %-28s (the modelled reader alone: %.2f MB/s)\n",
                c.name, seconds > 0 ? bytes / seconds / 1e6 : 0.0, seconds > 0 ? bytes / seconds / 4e5 : 0.0,
                static_cast<double>(bytes) / kMiB, static_cast<unsigned long long>(requests),
                requests > 0 ? static_cast<double>(requested) / requests / 1024 : 0.0, "",
                modelled > 0 ? bytes / modelled / 1e6 : 0.0);
  }
}

void PageCachedImage(const std::string& folder) {
  std::printf("1 GiB image file in the page cache, saved through Media as the program opens it\n"
              "(target: at least 1 GB/s into a file):\n");
  std::string source = folder + "/image-save-bench.img";
  if (!MakeImage(source)) {
    std::printf("  cannot write %s\n", source.c_str());
    return;
  }
  Media media(&DefaultDeviceOpener());
  if (!media.OpenImage(source)) {
    std::printf("  cannot open %s\n", source.c_str());
    std::remove(source.c_str());
    return;
  }
  DroppingTarget dropping;
  struct Case {
    const char* name;
    ImageTarget& target;
  };
  const Case cases[] = {{"into a file", PlatformImageTarget()}, {"into a target that drops it", dropping}};
  std::string saved = folder + "/image-save-bench-copy.img";
  for (const Case& c : cases) {
    double best = 0;
    for (int pass = 0; pass < 3; ++pass) {  // the first pass also warms the page cache
      double seconds = TimedSave(media, c.target, saved);
      if (seconds > 0 && (best == 0 || seconds < best)) best = seconds;
    }
    std::printf("  %-30s %6.2f GB/s\n", c.name, best > 0 ? kImageBytes / best / 1e9 : 0.0);
    std::remove(saved.c_str());
  }
  std::remove(source.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = argc > 1 ? argv[1] : (tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  // The trace goes to a scratch documents folder, not the user's own.
  std::string scratch = folder + "/image-save-bench-XXXXXX";
  if (mkdtemp(&scratch[0]) == nullptr) {
    std::fprintf(stderr, "cannot make a scratch folder in %s\n", folder.c_str());
    return 1;
  }
  setenv("XDG_DOCUMENTS_DIR", scratch.c_str(), 1);

  std::printf("Saving an image: 16 sectors per read, 1 MiB per write\n\n");
  UsbReader(scratch);
  std::printf("\n");
  PageCachedImage(scratch);

  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
  return 0;
}
