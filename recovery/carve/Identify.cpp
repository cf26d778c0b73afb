#include "Identify.h"

#include <cctype>
#include <cstring>

#include "File.h"
#include "FormatLengths.h"
#include "IdentifyProbe.h"
#include "JpegExtent.h"
#include "Media.h"
#include "MpegAudioFrame.h"
#include "TypeDB.h"

namespace {

bool SameText(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The extension part of a record's 8.3 name, without trailing blanks.
std::string RecordExtension(const File& record) {
  std::string extension = record.shortExtension();
  while (!extension.empty() && extension.back() == ' ') extension.pop_back();
  return extension;
}

}  // namespace

Identifier::Identifier(Media& media, TypeDB* dictionary, const Thread* worker)
    : media_(media), dictionary_(dictionary), worker_(worker) {}

bool Identifier::identify(uint32_t sector, uint32_t windowSectors, const File* openRecord, Identification& result) {
  result = Identification();
  if (media_.buffer == nullptr || media_.sectorSize == 0 || windowSectors == 0 ||
      windowSectors > Media::kMaxSectorsPerRead)
    return false;
  SectorWindow window(media_.buffer, static_cast<std::size_t>(windowSectors) * media_.sectorSize);
  bool found = dictionary_ != nullptr ? IdentifyByDictionary(sector, window, openRecord, result)
                                      : IdentifyBuiltIn(sector, windowSectors, openRecord, result);
  // A length read from the file that runs past the end of the medium is not
  // one this file can have: the search extends it as a file of unknown length.
  uint64_t left = media_.sectorCount > sector ? (media_.sectorCount - sector) * media_.sectorSize : 0;
  if (result.length > left) result.length = 0;
  return found;
}

bool Identifier::IdentifyByDictionary(uint32_t sector, const SectorWindow& window, const File* openRecord,
                                      Identification& result) {
  std::size_t looked = 2 * static_cast<std::size_t>(media_.sectorSize);
  if (looked > window.size()) looked = window.size();
  if (!dictionary_->IdentifyType(window.data(), static_cast<int32_t>(looked))) return false;
  std::string extension = dictionary_->MatchExtension();
  // Text never starts a file while another file is being extended.
  if (SameText(extension, ".txt") && openRecord != nullptr) return false;
  // A type that is not distinct goes on extending an open record of its type.
  if (!dictionary_->MatchIsDistinct() && openRecord != nullptr &&
      SameText(RecordExtension(*openRecord), extension.size() > 1 ? extension.c_str() + 1 : ""))
    return false;

  uint32_t windowSectors = static_cast<uint32_t>(window.size() / media_.sectorSize);
  if (SameText(extension, ".jpg")) {
    // The walk reads on into the buffer: the window is gone afterwards.
    if (!jpegExtent(media_, sector, result.length, worker_)) return false;
  } else if (SameText(extension, ".bmp")) {
    result.length = window.le32(2);
  } else if (window.matches(0, "PK\x03\x04")) {
    // Every format built on ZIP ends where its end record says.
    result.length = ZipArchiveLength(media_, sector, windowSectors, worker_);
  } else {
    result.length = StructureLength(sector, window, windowSectors);
  }
  result.extension = extension.size() > 1 && extension[0] == '.' ? extension.substr(1) : extension;
  result.picture = dictionary_->MatchIsPicture();
  return true;
}

uint64_t Identifier::StructureLength(uint32_t sector, const SectorWindow& window, uint32_t windowSectors) const {
  static const uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (window.matches(0, "RIFF")) return RiffFileLength(media_, sector, windowSectors, worker_);
  if (window.matches(0, kPngSignature, sizeof kPngSignature))
    return PngFileLength(media_, sector, windowSectors, worker_);
  if (window.matches(0, "GIF87a") || window.matches(0, "GIF89a"))
    return GifFileLength(media_, sector, windowSectors, worker_);
  // TIFF and the RAW files built on it; the walk knows their headers.
  if (window.matches(0, "II") || window.matches(0, "MM")) return TiffFileLength(media_, sector, windowSectors, worker_);
  if (window.matches(4, "ftyp") || window.matches(4, "moov") || window.matches(4, "mdat") ||
      window.matches(4, "wide"))
    return IsoMediaFileLength(media_, sector, windowSectors, worker_);
  if (window.be32(0) == 0x000001BA) return MpegStreamFileLength(media_, sector, windowSectors, worker_);
  if (window.matches(0, "ID3") || HasFrameSync(window.be32(0)))
    return Mp3FileLength(media_, sector, windowSectors, worker_);
  return 0;
}

bool Identifier::IdentifyBuiltIn(uint32_t sector, uint32_t windowSectors, const File* openRecord,
                                 Identification& result) {
  IdentifyProbe probe{media_, sector, windowSectors, openRecord, worker_, options, result,
                      SectorWindow(media_.buffer, static_cast<std::size_t>(windowSectors) * media_.sectorSize)};
  return IdentifyWithBuiltInTests(probe);
}
