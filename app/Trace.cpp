#include "Trace.h"

#include <cstring>

#include "Context.h"
#include "System.h"
#include "TraceFile.h"

namespace {

constexpr int32_t kDumpLimit = 8192;
constexpr std::size_t kRowBytes = 16;
constexpr std::size_t kHexColumn = 5;
constexpr std::size_t kBarColumn = 54;
constexpr std::size_t kCharColumn = 55;
const char kOmitted[] = "---------- Omitted lines same as above ----------\r\n";

std::string DumpRow(const uint8_t* bytes, std::size_t count, std::size_t offset) {
  static const char kHex[] = "0123456789abcdef";
  std::string row(80, ' ');
  row[kBarColumn] = '|';
  std::string head = Format("%04X ", static_cast<uint32_t>(offset));
  row.replace(0, head.size(), head);
  for (std::size_t i = 0; i < count; ++i) {
    uint8_t b = bytes[i];
    row[kHexColumn + 3 * i] = kHex[b >> 4];
    row[kHexColumn + 3 * i + 1] = kHex[b & 15];
    row[kCharColumn + i] = (b >= 0x20 && b <= 0x7F) ? static_cast<char>(b) : '.';
  }
  std::size_t end = kCharColumn + count;
  row.replace(end, row.size() - end, "|\r\n");
  return row;
}

}  // namespace

std::string TraceFolderPath() { return GetSpecialFolder(kFolderPersonal) + TheContext().AppName.str(); }

std::string TraceFilePath() { return TraceFolderPath() + kPathSeparator + "Vantrel Trace.txt"; }

std::string PreviousTraceFilePath() {
  std::string path = TraceFilePath();
  return path.substr(0, path.size() - 4) + "2.txt";
}

void TraceLine(const char* format, const FormatArg* args, std::size_t count) {
  EnsureTraceFolder(TraceFolderPath());
  if (format == nullptr) {
    RotateTraceFile(TraceFilePath(), PreviousTraceFilePath());
    return;
  }
  AppendToTraceFile(TraceFilePath(), FormatText(format, args, count) + "\r\n");
}

std::string HexDumpText(const uint8_t* data, int32_t length) {
  if (data == nullptr || length <= 0) return std::string();
  std::size_t total = static_cast<std::size_t>(length < kDumpLimit ? length : kDumpLimit);
  std::string text;
  std::string lastRow;
  bool omitting = false;
  for (std::size_t offset = 0; offset < total; offset += kRowBytes) {
    std::size_t count = total - offset < kRowBytes ? total - offset : kRowBytes;
    std::string row = DumpRow(data + offset, count, offset);
    std::string content = row.substr(kHexColumn);
    if (content != lastRow) {
      text += row;
      lastRow = content;
      omitting = false;
    } else if (!omitting) {
      text += kOmitted;
      omitting = true;
    }
  }
  return text;
}

void TraceHexDump(const void* data, int32_t length) {
  std::string text = HexDumpText(static_cast<const uint8_t*>(data), length);
  // The file is opened even for an empty dump, as every trace write is.
  AppendToTraceFile(TraceFilePath(), text);
}
