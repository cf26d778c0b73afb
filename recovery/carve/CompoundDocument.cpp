// A compound document (Office 97 and many others) is named by the streams of
// its directory: the first directory entry whose name begins with a known
// stream name decides.
#include <cstdint>
#include <string>

#include "IdentifyProbe.h"

namespace {

struct Stream {
  const char* name;
  const char* extension;
};

const Stream kStreams[] = {
    {"WordDocument", "doc"}, {"Book", "xls"},       {"Workbook", "xls"},
    {"Props", "mpp"},        {"PP", "ppt"},         {"PowerP", "ppt"},
    {"Quill", "pub"},        {"PMW Docu", "ab2"},   {"FlexiSIGN", "fs"},
    {"PageMaker", "p65"},    {"Form", "frm"},       {"ArtCAM", "ac"},
    {"NativeContent_MAIN", "qpw"}, {"PerfectOffice_MAIN", "wp"}, {"WPC", "wp"},
    {"__nameid", "msg"},     {"CONTENTS", "wps"},   {"DesignerDoc", "drw"},
    {"VisioDocument", "vsd"}, {"WilcomDesign", "art"}, {"MatOST", "wps"},
};

constexpr uint32_t kHeaderBytes = 512;
constexpr uint32_t kEntryBytes = 128;
constexpr int kEntriesLooked = 16;
constexpr uint32_t kDirectorySectors = 8;

// The entry's UTF-16LE name begins with the stream name.
bool NameBegins(const SectorWindow& directory, uint64_t entry, const char* name) {
  for (uint64_t i = 0; name[i] != '\0'; ++i) {
    uint64_t at = entry + 2 * i;
    if (!directory.has(at, 2) || directory.u8(at) != static_cast<uint8_t>(name[i]) || directory.u8(at + 1) != 0)
      return false;
  }
  return true;
}

std::string FirstKnownStream(const SectorWindow& directory, uint64_t start) {
  for (int e = 0; e < kEntriesLooked; ++e) {
    uint64_t entry = start + static_cast<uint64_t>(e) * kEntryBytes;
    for (const Stream& stream : kStreams)
      if (NameBegins(directory, entry, stream.name)) return stream.extension;
  }
  return std::string();
}

}  // namespace

std::string CompoundDocumentExtension(IdentifyProbe& probe) {
  const uint32_t ss = probe.sectorSize();
  // Only the low half of the header's first-directory-sector field is used.
  uint64_t directoryOffset = (static_cast<uint64_t>(probe.window.le16(48)) + 1) * kHeaderBytes;
  uint64_t first = probe.sector + directoryOffset / ss;
  std::string extension;
  if (first <= UINT32_MAX && probe.media.ReadSectors(static_cast<uint32_t>(first), kDirectorySectors)) {
    SectorWindow directory(probe.media.buffer, static_cast<std::size_t>(kDirectorySectors) * ss);
    extension = FirstKnownStream(directory, directoryOffset % ss);
  }
  // The later tests look at the document's own first sectors again.
  probe.windowSectors = kDirectorySectors;
  probe.RestoreWindow();
  return extension;
}
