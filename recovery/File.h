// A found file or folder: its names, size, time stamps, the sector ranges that
// hold its data and a few flags. The records of one run form a tree under the
// worker's root record; a record owns its children.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

class Media;

struct SectorRun {
  uint32_t first;
  uint32_t count;
};

class File {
 public:
  enum Stamp { kCreated = 0, kModified = 1, kAccessed = 2 };

  File() = default;
  // The name fills the 8.3 short name: 8 name characters, 3 extension
  // characters, no dot; at most the first 11 characters are taken.
  explicit File(const std::string& name);
  virtual ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // The names of files that only the sector search found: "Rec" (or "REC" for
  // orphan chains), the number in five digits and the extension without dot.
  static std::string GeneratedName(const char* prefix, uint32_t number, const std::string& extension);

  void appendChild(File& parent);
  File* findChild(const std::string& name) const;

  void addRun(uint32_t first, uint32_t count);
  uint64_t countSectors() const;
  uint32_t lastSector() const;
  // Walks the data sectors: 0 gives the first; 0 comes back after the last.
  uint32_t nextSector(uint32_t sector) const;

  // Sets a stamp from a directory entry's date and time; an impossible date
  // leaves it zero.
  void setDosTime(Stamp which, uint16_t date, uint16_t time, uint32_t tenths);
  void setLongName(const std::u16string& name) { longName = name; }

  // Copies the first min(length, size) bytes of the file's data into dest;
  // bytes the runs do not reach are zero. False when a read fails.
  bool readData(Media& media, uint8_t* dest, uint64_t length) const;

  // Marks the record a picture when its 8.3 extension or its first sector
  // says so; directories never are.
  bool sniffPicture(Media& media);

  std::string displayName() const;
  // "\folder\file" below the root; with maxLength > 0 the middle folders
  // give way to "\..." until the folders fit in maxLength characters.
  std::string pathText(int maxLength) const;
  std::string sizeText(bool withBytes) const;
  std::string dateText(Stamp which) const;
  std::string runsText(uint32_t group) const;
  // Writes the tree below record to the trace, as each run ends.
  static void listTree(const File& record, int indent);

  // The 8.3 extension characters (up to 3, blanks kept).
  std::string shortExtension() const;
  // The 8.3 extension, blanks dropped, is this one (given in lower case) in any case.
  bool hasExtension(const char* lowerCase) const;

  File* next = nullptr;
  File* prev = nullptr;
  File* firstChild = nullptr;
  File* parent = nullptr;
  std::u16string longName;
  std::string stepText;
  uint64_t size = 0;
  uint64_t created = 0;
  uint64_t modified = 0;
  uint64_t accessed = 0;
  std::deque<SectorRun> runs;
  char shortName[12] = {};
  bool isDirectory = false;
  bool isComplete = false;
  bool isVolumeLabel = false;
  // Found under a deleted directory entry (a FAT entry or an exFAT set).
  bool isDeleted = false;
  bool isPicture = false;

 private:
  void unlink();
};
