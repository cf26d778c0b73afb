#include "ExfatWalk.h"

#include <algorithm>
#include <cstring>

#include "ExfatShortName.h"
#include "ExfatVolume.h"
#include "File.h"
#include "Media.h"
#include "Recovery.h"
#include "SectorWindow.h"
#include "System.h"
#include "TextIds.h"
#include "Trace.h"
#include "Utilities.h"

namespace {

using namespace exfat_entry;

constexpr uint8_t kUpcaseTable = 0x82;
constexpr uint8_t kTypeCode = 0x7F;  // the type without its in-use bit

uint64_t DivideUp(uint64_t value, uint64_t by) { return value / by + (value % by != 0 ? 1 : 0); }

}  // namespace

ExfatWalk::ExfatWalk(Recovery& recovery, ExfatVolume& volume) : recovery_(recovery), volume_(volume) {}

void ExfatWalk::walkRoot(bool deletedOnly) {
  std::vector<uint8_t> root;
  if (!readRoot(root)) {
    recovery_.structureDamaged = true;
    return;
  }
  if (!deletedOnly) readVolumeEntries(root);
  makeLive_ = !deletedOnly;
  takeDeleted_ = recovery_.options.includeDeleted;
  pending_.clear();
  walkDirectory(root, recovery_.root, 0, false);
  root.clear();
  if (takeDeleted_) walkDeletedSets();
}

// The root has no length of its own: its chain in the FAT gives it.
bool ExfatWalk::readRoot(std::vector<uint8_t>& data) {
  walkedDirectoryClusters_.reset(volume_.clusterEnd());
  const uint32_t first = volume_.boot().rootCluster;
  const uint64_t clusterBytes = volume_.bytesPerCluster();
  const std::vector<uint32_t> clusters =
      volume_.streamClusters(first, std::max<uint64_t>(1, kLargestDirectoryBytes / clusterBytes), false);
  File chain;
  for (uint32_t c : clusters) {
    chain.addRun(static_cast<uint32_t>(volume_.clusterSector(c)), volume_.sectorsPerCluster());
  }
  chain.size = chain.countSectors() * recovery_.media.sectorSize;
  TraceMessage("exFAT root directory at cluster %d: %d clusters", first, static_cast<uint32_t>(clusters.size()));
  for (const SectorRun& run : chain.runs) recovery_.markUsed(run.first, run.count);
  return readDirectoryData(chain, data);
}

// The allocation bitmap, the up-case table and the label: single entries of
// the root directory.
void ExfatWalk::readVolumeEntries(const std::vector<uint8_t>& root) {
  const SectorWindow w(root.data(), root.size());
  const uint8_t wantedBitmap = volume_.boot().activeFatIsSecond() && volume_.boot().numberOfFats == 2 ? 1 : 0;
  std::u16string label;
  bool bitmapRead = false;
  for (uint64_t at = 0; w.has(at, kBytes) && w.u8(at) != kEndOfDirectory; at += kBytes) {
    const uint8_t type = w.u8(at);
    if (type == kAllocationBitmap) {
      const ExfatBitmapEntry bitmap = ExfatBitmapEntry::FromBytes(w, at);
      claimSystemStream(bitmap.firstCluster, bitmap.dataLength);
      if (!bitmapRead && (bitmap.flags & 1) == wantedBitmap)
        bitmapRead = volume_.loadBitmap(recovery_.media, recovery_, bitmap.firstCluster, bitmap.dataLength);
    } else if (type == kUpcaseTable) {
      claimSystemStream(w.le32(at + 20), w.le64(at + 24));
    } else if (type == kVolumeLabel && label.empty()) {
      label = ExfatLabelEntry::FromBytes(w, at).label;
    }
  }
  if (!bitmapRead) {
    TraceMessage("exFAT allocation bitmap not found: deleted files cannot be told from reused clusters");
    recovery_.structureDamaged = true;
  }
  const uint64_t length = std::min<uint64_t>(volume_.boot().volumeLength, INT64_MAX >> 12);
  const std::string size = FormatSize(static_cast<int64_t>(length * volume_.boot().bytesPerSector()), false);
  if (label.empty()) {
    recovery_.LogById(kTextExfatVolumeFound, size);
    return;
  }
  recovery_.LogById(kTextExfatLabelledVolumeFound, NarrowText(label), size);
  File* record = new File(ExfatShortName(label).substr(0, 11));
  record->setLongName(label);
  record->isVolumeLabel = true;
  record->isComplete = true;
  record->appendChild(recovery_.root);
}

// The bitmap and the up-case table are no files: their clusters are only
// kept from the sector search.
void ExfatWalk::claimSystemStream(uint32_t first, uint64_t length) {
  for (uint32_t c : volume_.systemStreamClusters(first, length))
    recovery_.markUsed(static_cast<uint32_t>(volume_.clusterSector(c)), volume_.sectorsPerCluster());
}

// Folders are descended once the directory's own data is let go, so that
// only one directory is held at a time however deep the tree.
void ExfatWalk::walkDirectory(const std::vector<uint8_t>& data, File& parent, uint32_t depth, bool insideDeleted) {
  const SectorWindow w(data.data(), data.size());
  std::vector<File*> folders;
  uint64_t at = 0;
  while (w.has(at, kBytes) && w.u8(at) != kEndOfDirectory && !recovery_.stopRequested()) {
    const uint8_t type = w.u8(at);
    ExfatFileSet set;
    const ExfatSetFault fault = (type & kTypeCode) == (kFile & kTypeCode) ? ParseExfatFileSet(w, at, set)
                                                                           : ExfatSetFault::kNotAFile;
    if (fault != ExfatSetFault::kNone) {
      if (type == kFile) {
        TraceMessage("exFAT entry set at byte %I64u of %s refused: %s", at, parent.pathText(0),
                     ExfatSetFaultName(fault));
        recovery_.structureDamaged = true;
      }
      at += kBytes;
      continue;
    }
    at += uint64_t{set.entries} * kBytes;
    if (set.deleted || insideDeleted) {
      if (takeDeleted_ && pending_.size() < kMostDeletedSets) pending_.push_back({&parent, set, depth});
      continue;
    }
    if (!makeLive_) {
      File* existing = set.isDirectory() ? existingFolder(parent, set.firstCluster) : nullptr;
      if (existing != nullptr) folders.push_back(existing);
      continue;
    }
    bool collided = false;
    File* record = makeRecord(set, parent, false, collided);
    if (record != nullptr && record->isDirectory) folders.push_back(record);
  }
  for (File* folder : folders) descend(*folder, depth + 1, insideDeleted);
}

// The deleted sets in the order they were seen; a deleted folder's own sets
// join the queue as it is read.
void ExfatWalk::walkDeletedSets() {
  for (std::size_t i = 0; i < pending_.size() && !recovery_.stopRequested(); ++i) {
    const Pending item = pending_[i];
    bool collided = false;
    File* record = makeRecord(item.set, *item.parent, true, collided);
    if (record == nullptr) continue;
    if (!collided)
      recovery_.LogById(record->isDirectory ? kTextDeletedFolderFound : kTextDeletedFileFound, record->pathText(0));
    // A folder whose clusters another file took holds that file's data now.
    if (record->isDirectory && !collided) descend(*record, item.depth + 1, true);
  }
  pending_.clear();
}

File* ExfatWalk::makeRecord(const ExfatFileSet& set, File& parent, bool deleted, bool& collided) {
  File* record = new File(ExfatShortName(set.name));
  record->setLongName(set.name);
  record->created = set.created;
  record->modified = set.modified;
  record->accessed = set.accessed;
  record->size = set.dataLength;
  record->isDirectory = set.isDirectory();
  record->isDeleted = deleted;
  record->isComplete = true;
  record->appendChild(parent);
  if (!claim(*record, set, deleted, collided)) {
    recovery_.usedSectors().release(*record);
    delete record;
    return nullptr;
  }
  if (collided) record->isComplete = false;
  record->sniffPicture(recovery_.media);
  return record;
}

// Claims the set's clusters for the record; false when the record must go.
bool ExfatWalk::claim(File& record, const ExfatFileSet& set, bool deleted, bool& collided) {
  collided = false;
  if (set.dataLength == 0) return true;
  const bool keepPartial = recovery_.options.keepPartial;
  const uint64_t clusterBytes = volume_.bytesPerCluster();
  const uint64_t needed = DivideUp(set.dataLength, clusterBytes);
  const std::vector<uint32_t> clusters = dataClusters(set, deleted, needed);
  const uint32_t perCluster = volume_.sectorsPerCluster();
  for (uint32_t c : clusters) {
    const uint32_t sector = static_cast<uint32_t>(volume_.clusterSector(c));
    // A deleted file's cluster that the bitmap gives away belongs to a live file.
    const bool taken = recovery_.isUsed(sector) || (deleted && volume_.isAllocated(c));
    if (taken && !collided) {
      collided = true;
      if (deleted && !keepPartial) return false;
      recovery_.LogById(deleted ? kTextKeptDespiteCollision : kTextUsedByAnother, record.pathText(0));
    }
    recovery_.markUsed(sector, perCluster);
    record.addRun(sector, perCluster);
  }
  if (clusters.size() == needed) return true;
  // Cut where the medium or the chain ends; such a file is incomplete.
  TraceMessage("exFAT file %s: %I64u of its %I64u clusters found", record.pathText(0),
               static_cast<uint64_t>(clusters.size()), needed);
  if (!deleted) recovery_.structureDamaged = true;
  if (clusters.empty()) return false;
  record.size = std::min<uint64_t>(set.dataLength, uint64_t{clusters.size()} * clusterBytes);
  record.isComplete = false;
  return true;
}

// A contiguous file's clusters follow one another; a deleted file whose
// chain the FAT no longer holds whole is taken on after its last cluster.
std::vector<uint32_t> ExfatWalk::dataClusters(const ExfatFileSet& set, bool deleted, uint64_t needed) {
  std::vector<uint32_t> clusters = volume_.streamClusters(set.firstCluster, needed, set.noFatChain());
  if (!deleted || set.noFatChain() || clusters.empty() || clusters.size() == needed) return clusters;
  const std::vector<uint32_t> rest = volume_.streamClusters(clusters.back() + 1, needed - clusters.size(), true);
  clusters.insert(clusters.end(), rest.begin(), rest.end());
  return clusters;
}

void ExfatWalk::descend(File& directory, uint32_t depth, bool insideDeleted) {
  if (depth > kDeepestFolder) {
    recovery_.structureDamaged = true;
    return;
  }
  std::vector<uint8_t> data;
  if (!readDirectoryData(directory, data)) return;
  walkDirectory(data, directory, depth, insideDeleted);
}

// Sector by sector along the runs, up to the directory's size. A cluster
// already read as directory data in this walk ends the data.
bool ExfatWalk::readDirectoryData(const File& directory, std::vector<uint8_t>& data) {
  Media& media = recovery_.media;
  const uint32_t ss = media.sectorSize;
  const uint64_t wanted = std::min<uint64_t>(directory.size, kLargestDirectoryBytes);
  data.assign(static_cast<std::size_t>(DivideUp(wanted, ss) * ss), 0);
  const uint64_t heap = volume_.heapStart();
  const uint32_t perCluster = volume_.sectorsPerCluster();
  uint64_t done = 0;
  for (const SectorRun& run : directory.runs) {
    for (uint64_t s = run.first; s < uint64_t{run.first} + run.count && done < data.size(); ++s) {
      const uint64_t offset = s - heap;
      const uint32_t cluster = static_cast<uint32_t>(offset / perCluster + 2);
      if (offset % perCluster == 0) {
        if (walkedDirectoryClusters_.has(cluster)) {
          data.resize(static_cast<std::size_t>(done));
          return done != 0;
        }
        walkedDirectoryClusters_.add(cluster);
      }
      if (recovery_.stopRequested() || !media.ReadSectors(static_cast<uint32_t>(s), 1)) {
        data.resize(static_cast<std::size_t>(done));
        return done != 0;
      }
      std::memcpy(data.data() + done, media.buffer, ss);
      done += ss;
    }
  }
  data.resize(static_cast<std::size_t>(done));
  return done != 0;
}

File* ExfatWalk::existingFolder(const File& parent, uint32_t firstCluster) const {
  if (!volume_.onMedium(firstCluster)) return nullptr;
  const uint64_t sector = volume_.clusterSector(firstCluster);
  for (File* child = parent.firstChild; child != nullptr; child = child->next)
    if (child->isDirectory && !child->isDeleted && !child->runs.empty() && child->runs.front().first == sector)
      return child;
  return nullptr;
}
