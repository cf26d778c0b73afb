#include "TestFiles.h"

#include <cstdio>
#include <fstream>
#include <iterator>

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }
