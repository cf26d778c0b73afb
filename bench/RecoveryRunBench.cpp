// Whole-run throughput of the recovery run over a 1 GiB carve-only image in
// the page cache: photos and other files at sector boundaries, with gaps of
// random bytes and of zero bytes between them, and no file system. Runs with
// the built-in types and with the shipped dictionary, then splits the time
// into its parts: the read pattern (12 sectors at each examined sector), the
// identification of those sectors, the JPEG walk over the photos and the
// other structure walks (with their share of the whole run). Last,
// the sector search alone over images of one kind each: 1 GiB of random
// bytes, 1 GiB of zero bytes (one sector of data near its end, so that the
// search goes over all of it) and 256 MiB of the sample JPEGs back to back,
// each with and without the dictionary.
// Prints its figures; nothing here is a pass or fail.
//
// Usage: recovery_run_bench [SAMPLES [FOLDER]]   (SAMPLES: the folder that
// scripts/make-samples.sh filled, default ../samples beside the program;
// FOLDER holds the scratch image, default $TMPDIR or /tmp)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Identify.h"
#include "JpegExtent.h"
#include "Media.h"
#include "PlatformDevice.h"
#include "Recovery.h"
#include "StatusList.h"
#include "TypeDB.h"

namespace {

constexpr uint64_t kImageBytes = 1ull << 30;
constexpr uint32_t kSector = 512;
constexpr uint32_t kWindow = 12;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string Beside(const char* program, const char* name) {
  std::string path = program;
  std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Files one after another at sector boundaries; between them a gap of random
// bytes (up to 64 KiB) or zero bytes (up to 256 KiB), or none.
bool MakeImage(const std::string& samples, const std::string& path) {
  static const char* const kFiles[] = {"camera.jpg", "camera-exif.jpg", "progressive.jpg", "photo.jpg",
                                       "fat-files/lake.jpg", "fat-files/img1.jpg", "photo.png", "photo.gif",
                                       "photo.bmp", "photo.tif", "sound.mp3", "sound.wav", "archive.zip",
                                       "document.pdf", "program.exe", "clip.avi", "clip.mp4",
                                       "photo-large.png", "photo-large.gif", "tiff-strips.tif", "tiff-tiles.tif",
                                       "camera.dng", "camera.nef", "clip-mjpeg.avi", "clip.mov", "clip-mjpeg.mov",
                                       "clip-fragmented.mp4", "clip.3gp", "sound.m4a", "sound-128k.mp3",
                                       "sound-vbr.mp3", "clip-ended.mpg", "document-updated.pdf"};
  std::vector<std::vector<char>> files;
  for (const char* name : kFiles) {
    files.push_back(ReadFile(samples + "/" + name));
    if (files.back().empty()) {
      std::fprintf(stderr, "no sample %s/%s (run scripts/make-samples.sh)\n", samples.c_str(), name);
      return false;
    }
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::mt19937 random(20240601);
  std::vector<char> gap;
  uint64_t written = 0;
  auto put = [&](const char* bytes, uint64_t count) {
    count = std::min<uint64_t>(count, kImageBytes - written);
    out.write(bytes, static_cast<std::streamsize>(count));
    written += count;
  };
  while (written < kImageBytes) {
    // Photos make up most of a card; the camera's full-size ones most of all.
    const std::size_t pick = random() % 3 != 0 ? random() % 6 : random() % files.size();
    const std::vector<char>& file = files[pick];
    put(file.data(), file.size());
    gap.assign((kSector - written % kSector) % kSector, 0);
    switch (random() % 3) {
      case 0:
        for (uint32_t i = random() % 129 * kSector; i > 0; --i) gap.push_back(static_cast<char>(random()));
        break;
      case 1:
        gap.resize(gap.size() + random() % 513 * kSector, 0);
        break;
      default:
        break;
    }
    put(gap.data(), gap.size());
  }
  return static_cast<bool>(out);
}

struct Result {
  double seconds = -1;
  uint32_t files = 0;
};

Result WholeRun(const std::string& path, TypeDB* dictionary, std::unique_ptr<Recovery>* kept = nullptr,
                std::unique_ptr<Media>* keptMedia = nullptr) {
  std::unique_ptr<Media> media(new Media(&DefaultDeviceOpener()));
  if (!media->OpenImage(path)) return Result();
  std::unique_ptr<Recovery> run(new Recovery(*media, dictionary));
  run->setStatusList(std::make_unique<CallbackStatusList>([](const std::string&) {}));
  Clock::time_point start = Clock::now();
  run->start();
  run->startEvent.set();
  run->waitUntilFinished();
  Result result;
  result.seconds = Since(start);
  uint64_t bytes = 0;
  result.files = Recovery::countFiles(run->root, bytes);
  if (kept != nullptr) {
    *kept = std::move(run);
    *keptMedia = std::move(media);
  }
  return result;
}

// The sectors the search examined one by one: all but those inside the files
// whose own length let it jump. Those have a size of their content's; the
// files it extended sector by sector have whole sectors.
bool HasOwnLength(const File& record) {
  return record.runs.size() == 1 && record.runs[0].count > 1 && record.size % kSector != 0;
}

std::vector<bool> ExaminedSectors(const Recovery& run) {
  std::vector<bool> examined(run.scanEnd.load(), true);
  for (const File* record = run.root.firstChild; record != nullptr; record = record->next) {
    if (!HasOwnLength(*record)) continue;
    const uint64_t end = std::min<uint64_t>(static_cast<uint64_t>(record->runs[0].first) + record->runs[0].count,
                                            examined.size());
    for (uint64_t s = record->runs[0].first + 1; s < end; ++s) examined[s] = false;
  }
  return examined;
}

bool IsPhoto(const File& record) { return record.shortExtension() == "jpg"; }

// The other files whose structure gave their length: their identification
// at their first sector, which walks them, timed; how many and their bytes.
double StructureWalks(Media& media, const Recovery& run, TypeDB* dictionary, uint64_t& files, uint64_t& bytes) {
  Identifier identifier(media, dictionary);
  identifier.options = {true, true, true, true, false, true};
  Identification found;
  files = bytes = 0;
  Clock::time_point start = Clock::now();
  for (const File* record = run.root.firstChild; record != nullptr; record = record->next) {
    if (IsPhoto(*record) || !HasOwnLength(*record) || !media.ReadSectors(record->runs[0].first, kWindow)) continue;
    identifier.identify(record->runs[0].first, kWindow, nullptr, found);
    ++files;
    bytes += found.length;
  }
  return Since(start);
}

void WhereTheTimeGoes(const char* title, Media& media, Recovery& run, TypeDB* dictionary, double wholeRun) {
  std::vector<bool> examined = ExaminedSectors(run);
  // A photo's first sector is counted in the JPEG walk below, another walked
  // file's in the structure walks.
  for (const File* record = run.root.firstChild; record != nullptr; record = record->next)
    if ((IsPhoto(*record) || HasOwnLength(*record)) && record->runs[0].first < examined.size())
      examined[record->runs[0].first] = false;
  uint64_t count = 0;
  Clock::time_point start = Clock::now();
  for (uint32_t s = 0; s < examined.size(); ++s)
    if (examined[s] && media.ReadSectors(s, kWindow)) ++count;
  const double reads = Since(start);

  Identifier identifier(media, dictionary);
  identifier.options = {true, true, true, true, false, true};
  Identification found;
  start = Clock::now();
  for (uint32_t s = 0; s < examined.size(); ++s)
    if (examined[s] && media.ReadSectors(s, kWindow)) identifier.identify(s, kWindow, nullptr, found);
  const double identified = Since(start);

  uint64_t photos = 0, photoBytes = 0;
  start = Clock::now();
  for (const File* record = run.root.firstChild; record != nullptr; record = record->next) {
    uint64_t length = 0;
    if (!IsPhoto(*record) || !media.ReadSectors(record->runs[0].first, kWindow) ||
        !jpegExtent(media, record->runs[0].first, length))
      continue;
    ++photos;
    photoBytes += length;
  }
  const double walked = Since(start);
  std::printf("  %s:\n", title);
  std::printf("    read pattern, 12 sectors at each of %llu examined sectors: %6.3f s\n",
              static_cast<unsigned long long>(count), reads);
  std::printf("    identification of those sectors (reads not counted):     %6.3f s\n", identified - reads);
  std::printf("    JPEG walk over %llu photos of %.0f MB (reads included):   %6.3f s\n",
              static_cast<unsigned long long>(photos), photoBytes / 1e6, walked);
  uint64_t files = 0, bytes = 0;
  const double structures = StructureWalks(media, run, dictionary, files, bytes);
  std::printf("    other structure walks, %llu files of %.0f MB (PNG, GIF, RIFF, TIFF, ISO media, MP3, MPEG, ZIP;\n"
              "      their identification included):                        %6.3f s\n",
              static_cast<unsigned long long>(files), bytes / 1e6, structures);
  if (wholeRun > 0)
    std::printf("    the walks' share of the whole run: %.1f %% (JPEG %.1f %%, others %.1f %%)\n",
                100 * (walked + structures) / wholeRun, 100 * walked / wholeRun, 100 * structures / wholeRun);
}

// Writes bytes of the given kind up to size; photos come from samples.
bool MakeUniformImage(const std::string& path, const std::string& kind, uint64_t size, const std::string& samples) {
  std::vector<char> chunk;
  std::vector<std::vector<char>> photos;
  if (kind == "photo")
    for (const char* name : {"camera.jpg", "camera-exif.jpg", "pane-24mp.jpg", "progressive.jpg", "fat-files/lake.jpg"}) {
      photos.push_back(ReadFile(samples + "/" + name));
      if (photos.back().empty()) return false;
    }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::mt19937_64 random(20241209);
  uint64_t written = 0;
  for (std::size_t n = 0; written < size; ++n) {
    if (kind == "photo") {
      chunk = photos[n % photos.size()];
      chunk.resize((chunk.size() + kSector - 1) / kSector * kSector, 0);
    } else {
      chunk.assign(1 << 20, 0);
      if (kind == "random")
        for (char& byte : chunk) byte = static_cast<char>(random());
      // In the run's first probe for the end of the data (16 sectors, 512
      // sectors before the last 16), so that the search goes on to it.
      if (kind == "zero" && written + chunk.size() >= size) chunk[chunk.size() - 528 * kSector] = 1;
    }
    const uint64_t count = std::min<uint64_t>(chunk.size(), size - written);
    out.write(chunk.data(), static_cast<std::streamsize>(count));
    written += count;
  }
  return static_cast<bool>(out);
}

// The search alone: what a whole run over an image without a file system
// takes beyond its probe for the end of the data, which reads a few sectors.
void ScanFigures(const std::string& scratch, const std::string& samples, TypeDB& dictionary) {
  struct Kind {
    const char* name;
    uint64_t bytes;
  };
  for (const Kind& kind : {Kind{"random", kImageBytes}, Kind{"zero", kImageBytes}, Kind{"photo", kImageBytes / 4}}) {
    const std::string path = scratch + "/" + kind.name + ".img";
    if (!MakeUniformImage(path, kind.name, kind.bytes, samples)) {
      std::printf("scan %s: no image (run scripts/make-samples.sh)\n", kind.name);
      continue;
    }
    WholeRun(path, nullptr);  // warms the page cache
    for (TypeDB* types : {&dictionary, static_cast<TypeDB*>(nullptr)}) {
      double best = 1e9;
      for (int round = 0; round < 3; ++round) best = std::min(best, WholeRun(path, types).seconds);
      std::printf("scan %s, %s: %.2f GB/s\n", kind.name, types != nullptr ? "dictionary" : "built-in types",
                  kind.bytes / best / 1e9);
    }
    std::remove(path.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string samples = argc > 1 ? argv[1] : Beside(argv[0], "../samples");
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = argc > 2 ? argv[2] : (tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
  std::string scratch = folder + "/recovery-bench-XXXXXX";
  if (mkdtemp(&scratch[0]) == nullptr) {
    std::fprintf(stderr, "cannot make a scratch folder in %s\n", folder.c_str());
    return 1;
  }
  setenv("XDG_DOCUMENTS_DIR", scratch.c_str(), 1);  // the run's trace stays in the scratch folder
  const std::string image = scratch + "/carve.img";
  TypeDB dictionary;
  if (!MakeImage(samples, image) || !dictionary.Load(Beside(argv[0], "FileIdentify.dict"))) return 1;

  std::printf("Whole recovery run over a 1 GiB carve-only image in the page cache (target: at least 1 GB/s)\n");
  WholeRun(image, nullptr);  // warms the page cache
  std::unique_ptr<Recovery> builtInRun, dictionaryRun;
  std::unique_ptr<Media> builtInMedia, dictionaryMedia;
  struct Case {
    const char* name;
    TypeDB* types;
    std::unique_ptr<Recovery>* run;
    std::unique_ptr<Media>* media;
  };
  const Case cases[] = {{"built-in types", nullptr, &builtInRun, &builtInMedia},
                        {"shipped dictionary", &dictionary, &dictionaryRun, &dictionaryMedia}};
  double seconds[2] = {0, 0};
  for (const Case& c : cases) {
    Result result = WholeRun(image, c.types, c.run, c.media);
    seconds[&c - cases] = result.seconds;
    std::printf("  %-20s %6.2f GB/s  (%.2f s, %u files found)\n", c.name,
                result.seconds > 0 ? kImageBytes / result.seconds / 1e9 : 0.0, result.seconds, result.files);
  }
  std::printf("Where the time goes:\n");
  for (const Case& c : cases) WhereTheTimeGoes(c.name, **c.media, **c.run, c.types, seconds[&c - cases]);
  std::remove(image.c_str());
  std::printf("The sector search alone, best of three runs:\n");
  ScanFigures(scratch, samples, dictionary);

  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
  return 0;
}
