// Dictionaries and data blocks for the dictionary suites.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "TypeDB.h"

// A scratch file name for this test, in the test process's temporary folder.
std::string ScratchDictionaryPath();

// Scrambles text into a scratch file and loads it.
bool LoadDictionaryText(TypeDB& dictionary, const std::string& text);

// Bytes of a C string that may hold NULs: Bytes("AB\0C", 4).
std::vector<uint8_t> Bytes(const char* text, std::size_t length);
std::vector<uint8_t> Bytes(const std::string& text);

// A zeroed block of the given size with byte strings placed at offsets.
std::vector<uint8_t> Block(std::size_t size, const std::vector<std::pair<std::size_t, std::string>>& parts);

// IdentifyType over exactly the block's bytes.
bool Identify(TypeDB& dictionary, const std::vector<uint8_t>& data);
