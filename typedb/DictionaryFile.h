// Reading the stored dictionary whole, as raw bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Files larger than this are refused: no dictionary comes near it (the shipped
// one has some 10 KB), and a hostile one must not fill the memory with entries.
constexpr long kMaxDictionaryBytes = 1024L * 1024;

// False when the file cannot be opened or read whole, or is too large.
bool ReadDictionaryFile(const std::string& path, std::vector<uint8_t>& content);
