#include "EmbeddedPreview.h"

#include <vector>

#include "DecoderInput.h"
#include "TiffDirectory.h"

namespace {

// Raw files hold a handful of directories; a chain or tree longer than
// this is damage, not a camera's work.
constexpr std::size_t kMostDirectories = 16;
constexpr std::size_t kMostSubDirectories = 8;

void Consider(const SectorWindow& data, uint32_t offset, uint32_t length, PreviewRange& best) {
  if (length <= best.length || !data.has(offset, length)) return;
  if (!IsJpeg(SectorWindow(data.data() + offset, length))) return;
  best.offset = offset;
  best.length = length;
}

void ConsiderDirectory(const SectorWindow& data, const TiffDirectory& tiff, uint32_t directory,
                       PreviewRange& best) {
  uint32_t offset = 0, length = 0;
  if (tiff.Value(directory, TiffDirectory::kJpegOffset, offset) &&
      tiff.Value(directory, TiffDirectory::kJpegLength, length))
    Consider(data, offset, length, best);
  const std::vector<uint32_t> strips = tiff.Values(directory, TiffDirectory::kStripOffsets, 2);
  const std::vector<uint32_t> counts = tiff.Values(directory, TiffDirectory::kStripByteCounts, 2);
  if (strips.size() == 1 && counts.size() == 1) Consider(data, strips[0], counts[0], best);
}

}  // namespace

bool FindEmbeddedPreview(const SectorWindow& data, PreviewRange& preview) {
  TiffDirectory tiff(data);
  if (!tiff.Valid()) return false;
  PreviewRange best;
  std::vector<uint32_t> directories;
  for (uint32_t at = tiff.First(); at != 0 && directories.size() < kMostDirectories; at = tiff.Next(at))
    directories.push_back(at);
  for (std::size_t i = 0; i < directories.size(); ++i) {
    ConsiderDirectory(data, tiff, directories[i], best);
    if (directories.size() >= kMostDirectories) continue;
    for (uint32_t sub : tiff.Values(directories[i], TiffDirectory::kSubDirectories, kMostSubDirectories))
      if (directories.size() < kMostDirectories && sub >= 8 && data.has(sub, 2)) directories.push_back(sub);
  }
  if (best.length == 0) return false;
  preview = best;
  return true;
}
