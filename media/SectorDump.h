// The text forms of one sector as the sector viewer shows and copies it: rows
// of 16 bytes, each 59 characters ("0010 " the offset, the bytes in hex in
// four groups of four, then the bytes as characters in two groups of eight),
// and the typed sector number read against the medium's extent.
//
// Every function reads only the bytes it is given: a row past the end of
// them is blank where its bytes would be, never read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

constexpr std::size_t kDumpRowBytes = 16;
constexpr std::size_t kDumpRowLength = 59;

// Rows that show size bytes: one per 16 bytes, a partial last row included.
std::size_t DumpRowCount(std::size_t size);

// The row that starts at offset within bytes[0 .. size-1]; bytes that lie
// past size show as blanks. Bytes 0x20..0x7E show as themselves, every other
// as ".".
std::string DumpRow(const uint8_t* bytes, std::size_t size, std::size_t offset);

// header, then every row of bytes[0 .. size-1] followed by CR LF.
std::string DumpText(const std::string& header, const uint8_t* bytes, std::size_t size);

// The highest sector number the viewer can read plus one: the medium's count,
// cut to the 32-bit sector numbers that a read takes.
uint64_t ReachableSectors(uint64_t sectorCount);

enum class SectorNumberCheck { kGood, kNotANumber, kTooLarge };

// Decimal digits with blanks around them, below ReachableSectors(sectorCount);
// sector is set only when the answer is kGood.
SectorNumberCheck ParseSectorNumber(const std::string& text, uint64_t sectorCount, uint32_t& sector);
