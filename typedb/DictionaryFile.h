// Reading the stored dictionary whole, as raw bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Files larger than this are refused: no dictionary comes near it, and its
// length must fit the platform's file offsets and the memory at start-up.
constexpr long kMaxDictionaryBytes = 16L * 1024 * 1024;

// False when the file cannot be opened or read whole, or is too large.
bool ReadDictionaryFile(const std::string& path, std::vector<uint8_t>& content);
