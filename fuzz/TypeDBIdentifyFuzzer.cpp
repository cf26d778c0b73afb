// Fuzzes IdentifyType with the shipped dictionary (FileIdentify.dict beside
// the fuzzer), on data of exactly the input's size.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "TypeDB.h"

namespace {

TypeDB* dictionary = nullptr;

std::string Beside(const char* program, const char* name) {
  std::string path = program;
  std::size_t slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  (void)argc;
  dictionary = new TypeDB;
  if (!dictionary->Load(Beside((*argv)[0], "FileIdentify.dict"))) {
    std::fprintf(stderr, "%s", dictionary->ErrorText());
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int32_t length = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(size);
  if (dictionary->IdentifyType(data, length)) {
    const char* extension = dictionary->MatchExtension();
    if (extension[0] != '.') std::abort();  // every type of the shipped dictionary has one
    (void)dictionary->MatchIsDistinct();
    (void)dictionary->MatchIsPicture();
  }
  return 0;
}
