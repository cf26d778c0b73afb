#include "RelatedPicture.h"

#include <cctype>

namespace {

constexpr uint64_t kChunkHeader = 8;
// The INFO list follows the header list; a file with more chunks before it
// is not a camera's.
constexpr int kMostChunks = 32;
constexpr std::size_t kStemLength = 8;
constexpr char kPictureExtension[] = "THM";

bool IsNameCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '~';
}

// "MVI_0001" or "MVI_0001.AVI" gives "MVI_0001.THM"; blanks pad a shorter stem.
std::string PaddedPictureName(const std::string& title) {
  const std::string stem = title.substr(0, title.find('.'));
  if (stem.empty() || stem.size() > kStemLength) return std::string();
  std::string name;
  for (char c : stem) {
    if (!IsNameCharacter(c)) return std::string();
    name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  name.resize(kStemLength, ' ');
  return name + "." + kPictureExtension;
}

// The text of a chunk, up to its first terminator.
std::string ChunkText(const SectorWindow& data, uint64_t at, uint32_t size) {
  std::string text;
  for (uint32_t i = 0; i < size && data.u8(at + i) != 0; ++i) text += static_cast<char>(data.u8(at + i));
  return text;
}

std::string TitleInInfoList(const SectorWindow& data, uint64_t list, uint32_t listSize) {
  const uint64_t end = list + kChunkHeader + listSize;
  uint64_t at = list + kChunkHeader + 4;
  for (int chunk = 0; chunk < kMostChunks && at + kChunkHeader <= end && data.has(at, kChunkHeader); ++chunk) {
    const uint32_t size = data.le32(at + 4);
    if (size > end - at - kChunkHeader) return std::string();
    if (data.matches(at, "INAM")) return ChunkText(data, at + kChunkHeader, size);
    at += kChunkHeader + size + (size & 1);
  }
  return std::string();
}

}  // namespace

std::string RelatedPictureName(const SectorWindow& data) {
  if (!data.matches(0, "RIFF") || !data.matches(8, "AVI ")) return std::string();
  uint64_t at = 12;
  for (int chunk = 0; chunk < kMostChunks && data.has(at, kChunkHeader + 4); ++chunk) {
    const uint32_t size = data.le32(at + 4);
    if (data.matches(at, "LIST") && data.matches(at + kChunkHeader, "INFO") && data.has(at + kChunkHeader, size))
      return PaddedPictureName(TitleInInfoList(data, at, size));
    at += kChunkHeader + size + (size & 1);
  }
  return std::string();
}
