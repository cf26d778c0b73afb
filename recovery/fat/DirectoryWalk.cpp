#include "DirectoryWalk.h"

#include <algorithm>
#include <cstring>

#include "FatVolume.h"
#include "File.h"
#include "Media.h"
#include "Recovery.h"
#include "RootDirectory.h"
#include "TextIds.h"

namespace {

// Deeper than any card's folders: a tree like that is damage.
constexpr uint32_t kDeepestFolder = 64;

// "NAME.EXT", as the log shows an entry.
std::string ShortNameText(const DirectoryEntry& entry) { return File(entry.recordName()).displayName(); }

// "NAME    .EXT" (or "NAME    " with a blank extension), as findChild takes it.
std::string PaddedDottedName(const DirectoryEntry& entry) {
  const std::string name = entry.recordName();
  const std::string extension = name.substr(8, 3);
  return extension == "   " ? name.substr(0, 8) : name.substr(0, 8) + "." + extension;
}

}  // namespace

DirectoryWalk::DirectoryWalk(Recovery& recovery, FatVolume& volume)
    : recovery_(recovery), volume_(volume), chain_(recovery, volume) {}

// The chain set is bounded by the data area, which reading the root locates.
void DirectoryWalk::walkRoot(bool deletedPassOnly) {
  RootDirectory root;
  root.read(recovery_.media, volume_, recovery_);
  chain_.reset();
  if (!deletedPassOnly) walkPass(root.data, root.clusters, false);
  if (recovery_.options.includeDeleted && !recovery_.stopRequested()) walkPass(root.data, root.clusters, true);
}

void DirectoryWalk::walkPass(const std::vector<uint8_t>& root, const std::vector<uint32_t>& rootClusters,
                             bool deleted) {
  deletedPass_ = deleted;
  walkedDirectorySectors_.clear();
  // A folder that points back at the root is walked no further.
  for (uint32_t c : rootClusters)
    for (uint32_t i = 0; i < volume_.sectorsPerCluster; ++i)
      walkedDirectorySectors_.insert(static_cast<uint32_t>(volume_.clusterSector(c) + i));
  depth_ = 0;
  walkDirectory(root.data(), static_cast<uint32_t>(root.size() / DirectoryEntry::kBytes), recovery_.root);
}

void DirectoryWalk::walkDirectory(const uint8_t* entries, uint32_t count, File& parent) {
  static const uint8_t kErased[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  if (count == 0 || std::memcmp(entries, kErased, sizeof kErased) == 0) return;
  DirectoryEntries sets(entries, count);
  EntrySet set;
  while (!recovery_.stopRequested() && sets.next(set)) {
    if (set.deleted && !(deletedPass_ && recovery_.options.includeDeleted)) continue;
    walkEntrySet(set, parent);
  }
}

void DirectoryWalk::walkEntrySet(const EntrySet& set, File& parent) {
  const DirectoryEntry& entry = set.entry;
  if (entry.isErased() || entry.isDotEntry() || entry.isBlank()) return;
  if (deletedPass_ && !set.deleted) {
    // The deleted pass looks into the live folders the live pass made.
    if (!entry.isDirectory()) return;
    File* existing = parent.findChild(PaddedDottedName(entry));
    if (existing != nullptr && existing->parent == &parent) {
      if (existing->size != 0) descend(*existing);
      return;
    }
  }
  Media& media = recovery_.media;
  if (entry.size > static_cast<uint64_t>(media.sectorSize) * media.sectorCount) {
    recovery_.LogById(kTextLargerThanMedium, ShortNameText(entry));
    return;
  }

  File* record = new File(entry.recordName());
  record->setDosTime(File::kCreated, entry.createDate, entry.createTime, entry.createTenths);
  record->setDosTime(File::kModified, entry.writeDate, entry.writeTime, 0);
  record->setDosTime(File::kAccessed, entry.accessDate, 0, 0);
  record->size = entry.size;
  record->appendChild(parent);
  if (!set.longName.empty()) record->setLongName(set.longName);
  record->isVolumeLabel = entry.isVolumeLabel();
  record->isDeleted = set.deleted;
  record->isComplete = true;
  bool collided = false;
  if (!keepWalkedRecord(*record, set, collided)) {
    delete record;
    return;
  }
  record->sniffPicture(media);
  if (set.deleted && !collided)
    recovery_.LogById(record->isDirectory ? kTextDeletedFolderFound : kTextDeletedFileFound, record->pathText(0));
  if (record->isDirectory && record->size != 0) descend(*record);
}

// Claims the entry's chain for the record and settles its size; false when
// the record must go.
bool DirectoryWalk::keepWalkedRecord(File& record, const EntrySet& set, bool& collided) {
  const DirectoryEntry& entry = set.entry;
  const uint32_t first = entry.firstCluster;
  const uint64_t clusterBytes = static_cast<uint64_t>(volume_.sectorsPerCluster) * recovery_.media.sectorSize;
  const uint64_t expected =
      entry.isDirectory() || clusterBytes == 0 ? 0 : (static_cast<uint64_t>(entry.size) + clusterBytes - 1) / clusterBytes;
  if (!chain_.claim(record, first, set.deleted ? ChainOwner::kDeletedEntry : ChainOwner::kLiveEntry, collided,
                    expected)) {
    // What it claimed before its chain ran off is free for the sector search.
    recovery_.usedSectors().release(record);
    recovery_.structureDamaged = true;
    return false;
  }
  if (record.size != 0 && record.runs.empty()) {
    if (first != 0) recovery_.structureDamaged = true;
    return false;
  }
  if (collided) record.isComplete = false;
  const uint64_t ss = recovery_.media.sectorSize;
  if (entry.isDirectory()) {
    record.isDirectory = true;
    record.size = std::max<uint64_t>(record.size, record.countSectors() * ss);
  }
  if (record.size > record.countSectors() * ss) {
    if (!set.deleted && !recovery_.options.keepPartial) {
      recovery_.usedSectors().release(record);
      return false;
    }
    return extendShortChain(record, entry, collided);
  }
  return true;
}

// A file longer than its chain (a deleted file, whose FAT entries are
// free again) takes the sectors after its last cluster, as far as no other
// record claims them and the medium reaches.
bool DirectoryWalk::extendShortChain(File& record, const DirectoryEntry& entry, bool& collided) {
  const Media& media = recovery_.media;
  const RecoveryOptions& options = recovery_.options;
  const uint32_t ss = media.sectorSize;
  const uint64_t allocated = record.countSectors() * ss;
  const uint64_t next = static_cast<uint64_t>(record.lastSector()) + 1;
  uint64_t need = (record.size + ss - 1) / ss - record.countSectors();
  if (recovery_.isUsed(static_cast<uint32_t>(next)) && !options.keepPartial) {
    recovery_.usedSectors().release(record);
    return false;
  }
  const uint64_t onMedium = media.sectorCount > next ? media.sectorCount - next : 0;
  uint64_t free = std::min(need, onMedium);
  if (!options.forceIntensive) free = recovery_.usedSectors().unusedSectorsFrom(next, free);
  if (free < need) {
    if (!options.keepPartial) {
      recovery_.usedSectors().release(record);
      return false;
    }
    collided = true;
    record.isComplete = false;
    need = free;
  }
  recovery_.LogById(kTextSizeExtended, ShortNameText(entry), record.size, static_cast<uint32_t>(allocated));
  if (need != 0) record.addRun(static_cast<uint32_t>(next), static_cast<uint32_t>(need));
  return true;
}

void DirectoryWalk::descend(File& directory) {
  if (depth_ >= kDeepestFolder) {
    recovery_.structureDamaged = true;
    return;
  }
  std::vector<uint8_t> data;
  if (!readDirectoryData(directory, data)) return;
  const uint64_t entries = std::min<uint64_t>(directory.size, data.size()) / DirectoryEntry::kBytes;
  ++depth_;
  walkDirectory(data.data(), static_cast<uint32_t>(entries), directory);
  --depth_;
}

// Sector by sector along the runs. A sector already read as directory data
// in this pass ends the data: a folder that points back into its ancestors,
// or into another folder, is walked no further.
bool DirectoryWalk::readDirectoryData(const File& directory, std::vector<uint8_t>& data) {
  Media& media = recovery_.media;
  const uint32_t ss = media.sectorSize;
  const uint64_t wanted = std::min(directory.size, RootDirectory::kLargestDirectoryBytes);
  data.assign(static_cast<std::size_t>((wanted + ss - 1) / ss * ss), 0);
  uint64_t done = 0;
  for (const SectorRun& run : directory.runs) {
    for (uint64_t s = run.first; s < static_cast<uint64_t>(run.first) + run.count && done < data.size(); ++s) {
      const uint32_t sector = static_cast<uint32_t>(s);
      if (recovery_.stopRequested() || !walkedDirectorySectors_.insert(sector).second || !media.ReadSectors(sector, 1))
        return done != 0;
      std::memcpy(data.data() + done, media.buffer, ss);
      done += ss;
    }
  }
  return done != 0;
}
