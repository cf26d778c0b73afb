#include "DictionaryFile.h"

#include <cstdio>

namespace {

// Seeks to the end and back: the platform's own way to learn the length.
long FileLength(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  long length = std::ftell(file);
  if (std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return length;
}

}  // namespace

bool ReadDictionaryFile(const std::string& path, std::vector<uint8_t>& content) {
  // Binary mode: no newline translation. The C library shares the file for
  // reading and writing with other programs.
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  long length = FileLength(file);
  bool read = length >= 0 && length <= kMaxDictionaryBytes;
  if (read) {
    content.assign(static_cast<std::size_t>(length), 0);
    read = std::fread(content.data(), 1, content.size(), file) == content.size();
  }
  std::fclose(file);
  return read;
}
