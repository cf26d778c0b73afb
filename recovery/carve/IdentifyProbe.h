// What the built-in tests look at: the window at the sector, the sector
// source for the tests that read further, and the answer they fill in.
#pragma once

#include <cstdint>
#include <string>

#include "Identify.h"
#include "Media.h"
#include "SectorWindow.h"

class File;
class Thread;

struct IdentifyProbe {
  Media& media;
  uint32_t sector;
  uint32_t windowSectors;
  const File* openRecord;
  const Thread* worker;
  const TypeOptions& options;
  Identification& result;
  SectorWindow window;

  uint32_t sectorSize() const { return media.sectorSize; }
  // Reads the window at the sector again after a test read other sectors
  // into the buffer; false (and an empty window) when that fails.
  bool RestoreWindow();
};

// The built-in tests, in their order; true when one of them names the type.
bool IdentifyWithBuiltInTests(IdentifyProbe& probe);

// The length of the ZIP archive whose local header is at the start of the
// buffered window (windowSectors sectors at sector), found by walking its
// records to the end record; 0 when the walk cannot reach it.
uint64_t ZipArchiveLength(Media& media, uint32_t sector, uint32_t windowSectors, const Thread* worker);

// Three MPEG audio frames in a row at the window's start (after an ID3 tag),
// and not just the next sector of an MP3 that is already being extended.
bool Mp3Starts(IdentifyProbe& probe);

// The extension named by the first known stream of a compound document's
// directory, or "" when none is named.
std::string CompoundDocumentExtension(IdentifyProbe& probe);
