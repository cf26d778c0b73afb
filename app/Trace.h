// The trace: a plain-text file "Vantrel Trace.txt" in the folder Vantrel of
// the user's documents folder, where every run leaves what a failed recovery
// needs for diagnosis. Lines are exactly the formatted text and CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Format.h"

// The trace folder, the trace file and the previous run's trace file.
std::string TraceFolderPath();
std::string TraceFilePath();
std::string PreviousTraceFilePath();

void TraceLine(const char* format, const FormatArg* args, std::size_t count);

// Appends one formatted line (at most 1023 characters of text). A null format
// starts a new trace: the current one becomes the previous trace.
template <typename... Args>
void TraceMessage(const char* format, const Args&... args) {
  const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
  TraceLine(format, list, sizeof...(Args));
}

// Appends a hex dump of the first length bytes (at most 8192): rows of an
// offset, 16 hex pairs and the bytes as characters; runs of equal rows are
// written once, then replaced by one omission line.
void TraceHexDump(const void* data, int32_t length);

// The dump rows exactly as TraceHexDump writes them.
std::string HexDumpText(const uint8_t* data, int32_t length);
