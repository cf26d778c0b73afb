// Decides whether a sector is the first sector of a file, and of which type:
// through the file-type dictionary when one is loaded (it alone decides then),
// otherwise through the built-in tests. Some types also tell their exact
// length (JPEG, ZIP, RIFF, PNG, GIF, TIFF, ISO media, MP3 and MPEG program
// stream files, and BMP files through the dictionary).
//
// The window is what the caller read at the sector: it stands at the start of
// the sector source's buffer. Tests that need more read it into the same
// buffer, so afterwards the buffer may hold other sectors.
#pragma once

#include <cstdint>
#include <string>

#include "SectorWindow.h"
#include "TypeOptions.h"

class File;
class Media;
class Thread;
class TypeDB;

struct Identification {
  std::string extension;  // without its dot
  bool picture = false;
  uint64_t length = 0;  // the file's exact length in bytes; 0 = unknown
};

class Identifier {
 public:
  // dictionary may be null; worker, when given, ends long walks on a stop request.
  Identifier(Media& media, TypeDB* dictionary, const Thread* worker = nullptr);

  TypeOptions options;  // as a run normalised them

  // windowSectors: how many sectors at sector the caller read. openRecord is
  // the record the sector search is still extending, or null.
  bool identify(uint32_t sector, uint32_t windowSectors, const File* openRecord, Identification& result);

 private:
  bool IdentifyByDictionary(uint32_t sector, const SectorWindow& window, const File* openRecord,
                            Identification& result);
  // The length that a RIFF, PNG, GIF, TIFF, ISO media, MPEG pack or MP3
  // start walks to; 0 for other bytes.
  // The walk reads into the buffer: the window is gone afterwards.
  uint64_t StructureLength(uint32_t sector, const SectorWindow& window, uint32_t windowSectors) const;
  bool IdentifyBuiltIn(uint32_t sector, uint32_t windowSectors, const File* openRecord, Identification& result);

  Media& media_;
  TypeDB* dictionary_;
  const Thread* worker_;
};
