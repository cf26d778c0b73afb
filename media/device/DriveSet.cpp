#include "DriveSet.h"

namespace {

void SplitTextList(const char* buffer, uint32_t stored, std::vector<std::string>& texts) {
  uint32_t start = 0;
  while (start < stored && buffer[start] != '\0') {
    uint32_t end = start;
    while (end < stored && buffer[end] != '\0') ++end;
    texts.emplace_back(buffer + start, end - start);
    start = end + 1;
  }
}

}  // namespace

bool ReadTextList(const TextListReader& read, uint32_t firstSize, uint32_t largestSize,
                  std::vector<std::string>& texts) {
  uint32_t size = firstSize;
  while (size != 0 && size <= largestSize) {
    std::vector<char> buffer(size, '\0');
    uint32_t stored = 0;
    switch (read(buffer.data(), size, stored)) {
      case TextListRead::kRead: {
        if (stored > size) return false;
        std::vector<std::string> list;
        SplitTextList(buffer.data(), stored, list);
        texts = std::move(list);
        return true;
      }
      case TextListRead::kTooSmall:
        if (size > largestSize / 2) return false;
        size *= 2;
        break;
      case TextListRead::kFailed:
        return false;
    }
  }
  return false;
}
