// Turns a card image into an input of the recovery run fuzzer: an options
// byte, then the image's first sectors that hold anything but zero bytes,
// each with its number.
//
// Usage: fat_seed IMAGE OUTPUT OPTIONS [SECTORS]
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: fat_seed IMAGE OUTPUT OPTIONS [SECTORS]\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const unsigned long most = argc > 4 ? std::strtoul(argv[4], nullptr, 0) : 256;
  std::ofstream out(argv[2], std::ios::binary);
  out.put(static_cast<char>(std::strtoul(argv[3], nullptr, 0)));
  unsigned long written = 0;
  for (std::size_t sector = 0; (sector + 1) * 512 <= image.size() && written < most; ++sector) {
    const char* bytes = &image[sector * 512];
    bool empty = true;
    for (int i = 0; i < 512 && empty; ++i) empty = bytes[i] == 0;
    if (empty) continue;
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>(sector >> (8 * i)));
    out.write(bytes, 512);
    ++written;
  }
  return out ? 0 : 1;
}
