// "FileIdentify.dict" is stored scrambled: a rolling 32-bit XOR over whole
// words, whose key takes in the scrambled second byte of each word. The text
// is padded with "Q" to whole words. Both directions walk the key the same way
// (the build's scrambler uses this code too).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr std::size_t kScrambleSpareBytes = 4;

// Unscrambles the first n bytes of buffer in place. The buffer is grown to
// n + 4 bytes: the last word may reach past n. Up to three "Q" bytes of
// padding at the end become NULs; returns the length of the text before them.
std::size_t UnscrambleDictionary(std::vector<uint8_t>& buffer, std::size_t n);

// The stored form of a dictionary text. False for a text that ends with "Q",
// which unscrambling would take for padding.
bool ScrambleDictionary(const std::string& text, std::string& scrambled);
