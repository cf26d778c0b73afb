// Fuzzes Load with dictionary files, then IdentifyType with what loaded.
//
// The input's first byte chooses the file: odd stores the rest as it is (any
// bytes, any length, through the unscrambling); even stores the rest
// scrambled, so that the fuzzer works on the text of the lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "Scrambling.h"
#include "TypeDB.h"

namespace {

const std::string& ScratchPath() {
  static const std::string path = "/tmp/vantrel-load-fuzzer-" + std::to_string(getpid()) + ".dict";
  return path;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string stored = rest;
  if ((data[0] & 1) == 0 && !ScrambleDictionary(rest, stored)) return 0;
  if (!WriteFile(ScratchPath(), stored)) return 0;

  TypeDB dictionary;
  dictionary.Load(ScratchPath());
  std::remove(ScratchPath().c_str());

  // Identify the input itself at a few lengths, each in a buffer of exactly
  // that size.
  const std::size_t lengths[] = {0, 1, 2, 3, 4, 7, 16, 63, 256, 1024, size};
  for (std::size_t length : lengths) {
    if (length > size) continue;
    std::vector<uint8_t> block(data, data + length);
    if (dictionary.IdentifyType(block.data(), static_cast<int32_t>(length))) {
      (void)dictionary.MatchExtension();
      (void)dictionary.MatchIsDistinct();
      (void)dictionary.MatchIsPicture();
    }
  }
  return 0;
}
