// Fuzzes IdentifyType with the shipped dictionary (FileIdentify.dict beside
// the fuzzer), on data of exactly the input's size.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ShippedDictionary.h"
#include "TypeDB.h"

namespace {

TypeDB* dictionary = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  (void)argc;
  dictionary = LoadShippedDictionary((*argv)[0]);
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
