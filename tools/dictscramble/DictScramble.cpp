// Build tool: turns the readable dictionary into the stored FileIdentify.dict.
//
// Usage: dictscramble TEXT OUTPUT
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "Scrambling.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dictscramble TEXT OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "dictscramble: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string scrambled;
  if (!ScrambleDictionary(text, scrambled)) {
    std::fprintf(stderr, "dictscramble: %s ends with \"Q\", which would be taken for padding\n", argv[1]);
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << scrambled;
  out.close();
  if (!out) {
    std::fprintf(stderr, "dictscramble: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
