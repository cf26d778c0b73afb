// The directory walk: every entry of a FAT directory whose data can be
// located becomes a record, in the tree shape of the volume, and claims its
// sectors so that the sector search leaves them alone.
#include <algorithm>
#include <cstring>

#include "Media.h"
#include "Recovery.h"
#include "SectorWindow.h"

namespace {

constexpr uint32_t kEntryBytes = 32;
constexpr uint8_t kEndOfDirectory = 0x00;
constexpr uint8_t kDeleted = 0xE5;
constexpr uint8_t kEscapedE5 = 0x05;
constexpr uint8_t kRecoveredMark = 0x40;  // what a deleted entry's name begins with
constexpr uint8_t kLastLongEntry = 0x40;
constexpr uint8_t kSequenceMask = 0x3F;
constexpr uint8_t kVolumeLabel = 0x08;
constexpr uint8_t kDirectory = 0x10;
constexpr uint8_t kLongNameAttributes = 0x0F;
// Deeper than any card's folders: a tree like that is damage.
constexpr uint32_t kDeepestFolder = 64;

constexpr unsigned kDeletedFileFound = 503;
constexpr unsigned kDeletedFolderFound = 504;
constexpr unsigned kLargerThanMedium = 510;
constexpr unsigned kExtended = 511;

bool IsLongName(const uint8_t* entry) { return (entry[11] & kSequenceMask) == kLongNameAttributes; }

// The 13 UTF-16 characters of a long-name entry, up to the terminator.
std::u16string LongNamePart(const uint8_t* entry) {
  static const uint32_t kOffsets[] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  std::u16string part;
  for (uint32_t at : kOffsets) {
    char16_t c = static_cast<char16_t>(entry[at] | entry[at + 1] << 8);
    if (c == 0) break;
    part += c;
  }
  return part;
}

// The sequence that begins at entries[first]: each entry holds the part of
// the name before the part of the entry ahead of it.
std::u16string CollectLongName(const uint8_t* entries, uint32_t first, uint32_t count) {
  std::u16string name;
  uint32_t sequence = entries[first * kEntryBytes] & kSequenceMask;
  for (uint32_t i = first; i < count && sequence != 0; ++i, --sequence) {
    const uint8_t* entry = entries + i * kEntryBytes;
    if (!IsLongName(entry) || (entry[0] & kSequenceMask) != sequence) break;
    name = LongNamePart(entry) + name;
  }
  return name;
}

// "NAME.EXT", as the log shows an entry.
std::string ShortNameText(const uint8_t* entry) {
  return File(std::string(reinterpret_cast<const char*>(entry), 11)).displayName();
}

bool IsDotEntry(const uint8_t* entry) {
  return (entry[0] == '.' && entry[1] == ' ') || (entry[0] == '.' && entry[1] == '.' && entry[2] == ' ');
}

// "NAME    .EXT" (or "NAME    " with a blank extension), as findChild takes it.
std::string PaddedDottedName(const uint8_t* entry) {
  std::string name(reinterpret_cast<const char*>(entry), 8);
  std::string extension(reinterpret_cast<const char*>(entry) + 8, 3);
  return extension == "   " ? name : name + "." + extension;
}

}  // namespace

void Recovery::walkDirectory(const uint8_t* entries, uint32_t count, File& parent) {
  static const uint8_t kErased[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  if (count == 0 || std::memcmp(entries, kErased, sizeof kErased) == 0) return;
  bool longNamesGivenUp = false;
  for (uint32_t i = 0; i < count && !stopRequested(); ++i) {
    // A copy: the buffer stays as read, so the deleted pass sees what the live one saw.
    uint8_t entry[kEntryBytes];
    std::memcpy(entry, entries + i * kEntryBytes, kEntryBytes);
    bool deleted = false;
    if ((entry[11] & (kVolumeLabel | kDirectory)) == (kVolumeLabel | kDirectory)) continue;
    if (entry[0] == kEndOfDirectory) return;
    if (entry[0] == kDeleted) {
      if (!deletedPass || !includeDeleted) continue;
      entry[0] = kRecoveredMark;
      deleted = true;
    } else if (entry[0] == kEscapedE5) {
      entry[0] = kDeleted;
    }

    std::u16string longName;
    if (IsLongName(entry)) {
      if (longNamesGivenUp) continue;
      if ((entry[0] & kLastLongEntry) == 0) {
        longNamesGivenUp = true;
        continue;
      }
      // A deleted entry keeps no long name.
      if (!deleted) longName = CollectLongName(entries, i, count);
      while (i < count && IsLongName(entries + i * kEntryBytes)) ++i;
      if (i == count) return;
      std::memcpy(entry, entries + i * kEntryBytes, kEntryBytes);
      if (entry[0] == kDeleted) entry[0] = kRecoveredMark;
      if (entry[0] == kEscapedE5) entry[0] = kDeleted;
    }
    walkShortEntry(entry, deleted, longName, parent);
  }
}

void Recovery::walkShortEntry(uint8_t* entry, bool deleted, const std::u16string& longName, File& parent) {
  SectorWindow e(entry, kEntryBytes);
  const uint8_t attributes = e.u8(11);
  const bool volumeLabel = (attributes & kVolumeLabel) != 0;
  const bool directory = (attributes & kDirectory) != 0;
  const uint32_t size = e.le32(28);
  if (attributes == 0xFF && entry[0] == 0xFF && entry[1] == 0xFF) return;
  if (IsDotEntry(entry)) return;
  if (!volumeLabel && e.le16(20) == 0 && e.le16(26) == 0 && e.le16(16) == 0 && size == 0) return;

  if (deletedPass && !deleted) {
    // The deleted pass looks into the live folders the live pass made.
    if (!directory) return;
    File* existing = parent.findChild(PaddedDottedName(entry));
    if (existing != nullptr && existing->parent == &parent) {
      if (existing->size != 0) descend(*existing);
      return;
    }
  }
  if (size > static_cast<uint64_t>(media.sectorSize) * media.sectorCount) {
    LogById(kLargerThanMedium, ShortNameText(entry));
    return;
  }

  File* record = new File(std::string(reinterpret_cast<const char*>(entry), 11));
  record->setDosTime(File::kCreated, e.le16(16), e.le16(14), e.u8(13));
  record->setDosTime(File::kModified, e.le16(24), e.le16(22), 0);
  record->setDosTime(File::kAccessed, e.le16(18), 0, 0);
  record->size = size;
  record->appendChild(parent);
  if (!longName.empty()) record->setLongName(longName);
  record->isVolumeLabel = volumeLabel;
  record->isComplete = true;
  bool collided = false;
  if (!keepWalkedRecord(*record, entry, deleted, collided)) {
    delete record;
    return;
  }
  record->sniffPicture(media);
  if (deleted && !collided) LogById(record->isDirectory ? kDeletedFolderFound : kDeletedFileFound, record->pathText(0));
  if (record->isDirectory && record->size != 0) descend(*record);
}

// Claims the entry's chain for the record and settles its size; false when
// the record must go.
bool Recovery::keepWalkedRecord(File& record, const uint8_t* entry, bool deleted, bool& collided) {
  SectorWindow e(entry, kEntryBytes);
  const uint32_t first = static_cast<uint32_t>(e.le16(20)) << 16 | e.le16(26);
  if (!claimChain(record, first, deleted ? ChainOwner::kDeletedEntry : ChainOwner::kLiveEntry, collided)) {
    structureDamaged = true;
    return false;
  }
  if (record.size != 0 && record.runs.empty()) {
    if (first != 0) structureDamaged = true;
    return false;
  }
  if (collided) record.isComplete = false;
  const uint64_t ss = media.sectorSize;
  if ((entry[11] & kDirectory) != 0) {
    record.isDirectory = true;
    record.size = std::max<uint64_t>(record.size, record.countSectors() * ss);
  }
  if (record.size > record.countSectors() * ss) {
    if (!deleted && !keepPartial) {
      releaseFile(record);
      return false;
    }
    return extendShortChain(record, entry, collided);
  }
  return true;
}

// A file longer than its chain (a deleted file, whose FAT entries are
// free again) takes the sectors after its last cluster, as far as no other
// record claims them and the medium reaches.
bool Recovery::extendShortChain(File& record, const uint8_t* entry, bool& collided) {
  const uint32_t ss = media.sectorSize;
  const uint64_t allocated = record.countSectors() * ss;
  const uint64_t next = static_cast<uint64_t>(record.lastSector()) + 1;
  uint64_t need = (record.size + ss - 1) / ss - record.countSectors();
  if (isUsed(static_cast<uint32_t>(next)) && !keepPartial) {
    releaseFile(record);
    return false;
  }
  const uint64_t onMedium = media.sectorCount > next ? media.sectorCount - next : 0;
  uint64_t free = std::min(need, onMedium);
  if (!forceIntensive) free = unusedSectorsFrom(next, free);
  if (free < need) {
    if (!keepPartial) {
      releaseFile(record);
      return false;
    }
    collided = true;
    record.isComplete = false;
    need = free;
  }
  LogById(kExtended, ShortNameText(entry), record.size, static_cast<uint32_t>(allocated));
  if (need != 0) record.addRun(static_cast<uint32_t>(next), static_cast<uint32_t>(need));
  return true;
}

void Recovery::descend(File& directory) {
  if (directoryDepth_ >= kDeepestFolder) {
    structureDamaged = true;
    return;
  }
  std::vector<uint8_t> data;
  if (!readDirectoryData(directory, data)) return;
  uint64_t entries = std::min<uint64_t>(directory.size, data.size()) / kEntryBytes;
  ++directoryDepth_;
  walkDirectory(data.data(), static_cast<uint32_t>(entries), directory);
  --directoryDepth_;
}

// Sector by sector along the runs. A sector already read as directory data
// in this pass ends the data: a folder that points back into its ancestors,
// or into another folder, is walked no further.
bool Recovery::readDirectoryData(const File& directory, std::vector<uint8_t>& data) {
  const uint32_t ss = media.sectorSize;
  const uint64_t wanted = std::min(directory.size, kLargestDirectoryBytes);
  data.assign(static_cast<std::size_t>((wanted + ss - 1) / ss * ss), 0);
  uint64_t done = 0;
  for (const SectorRun& run : directory.runs) {
    for (uint64_t s = run.first; s < static_cast<uint64_t>(run.first) + run.count && done < data.size(); ++s) {
      const uint32_t sector = static_cast<uint32_t>(s);
      if (stopRequested() || !walkedDirectorySectors_.insert(sector).second || !media.ReadSectors(sector, 1))
        return done != 0;
      std::memcpy(data.data() + done, sectorBuffer(), ss);
      done += ss;
    }
  }
  return done != 0;
}
