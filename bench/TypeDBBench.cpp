// Throughput of IdentifyType with the shipped dictionary, as the intensive
// scan uses it: two 512-byte sectors per call, counted as one sector of medium.
//
// Run: build/native/bin/typedb_bench (FileIdentify.dict lies beside it).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "TypeDB.h"

namespace {

constexpr int kSectorBytes = 512;
constexpr int kWindowBytes = 2 * kSectorBytes;
// More data than the caches hold, so that the calls do not see the same bytes.
constexpr int kSectors = 16384;

std::vector<uint8_t> RandomSectors() {
  std::mt19937 generator(20240501);
  std::vector<uint8_t> bytes(static_cast<std::size_t>(kSectors + 1) * kSectorBytes);
  for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(generator());
  return bytes;
}

std::vector<uint8_t> ZeroSectors() {
  return std::vector<uint8_t>(static_cast<std::size_t>(kSectors + 1) * kSectorBytes, 0);
}

// Lines of words, as a text file holds them.
std::vector<uint8_t> TextSectors() {
  static const char* const kWords[] = {"the", "card", "photo", "recovered", "sector", "of", "a", "holiday",
                                       "2024,", "and", "IMG_0042.JPG", "lost"};
  std::mt19937 generator(7);
  std::vector<uint8_t> bytes;
  std::size_t wanted = static_cast<std::size_t>(kSectors + 1) * kSectorBytes;
  while (bytes.size() < wanted) {
    std::string word = kWords[generator() % (sizeof(kWords) / sizeof(kWords[0]))];
    bytes.insert(bytes.end(), word.begin(), word.end());
    bytes.push_back(generator() % 9 == 0 ? '\n' : ' ');
  }
  bytes.resize(wanted);
  return bytes;
}

void IdentifySectors(benchmark::State& state, TypeDB* dictionary, const std::vector<uint8_t>* medium) {
  int sector = 0;
  int64_t found = 0;
  for (auto _ : state) {
    found += dictionary->IdentifyType(medium->data() + static_cast<std::size_t>(sector) * kSectorBytes, kWindowBytes);
    sector = sector + 1 == kSectors ? 0 : sector + 1;
  }
  benchmark::DoNotOptimize(found);
  state.SetBytesProcessed(state.iterations() * kSectorBytes);
  state.counters["identified"] = benchmark::Counter(static_cast<double>(found) / state.iterations());
}

std::string Beside(const char* program, const char* name) {
  std::string path = program;
  std::size_t slash = path.find_last_of("/\\");
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

}  // namespace

int main(int argc, char** argv) {
  TypeDB dictionary;
  if (!dictionary.Load(Beside(argv[0], "FileIdentify.dict"))) {
    std::fprintf(stderr, "%s", dictionary.ErrorText());
    return 1;
  }
  static const std::vector<uint8_t> random = RandomSectors();
  static const std::vector<uint8_t> zero = ZeroSectors();
  static const std::vector<uint8_t> text = TextSectors();
  benchmark::RegisterBenchmark("IdentifyType/random", IdentifySectors, &dictionary, &random);
  benchmark::RegisterBenchmark("IdentifyType/zero", IdentifySectors, &dictionary, &zero);
  benchmark::RegisterBenchmark("IdentifyType/text", IdentifySectors, &dictionary, &text);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
