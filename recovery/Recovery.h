// The worker of one recovery run: its options, the FAT geometry the analyses
// find, the used-sector map, the progress counters and the tree of found
// records under root. The run itself reads the sector source on the worker's
// own thread; the user interface polls progressPercent() and reads root only
// once the worker has finished.
//
// Convention: booleans report success; counts are sectors unless named bytes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "BootSector.h"
#include "ClusterSet.h"
#include "Event.h"
#include "File.h"
#include "Format.h"
#include "StatusList.h"
#include "Thread.h"

class Media;
class TypeDB;

class Recovery : public Thread {
 public:
  // dictionary may be null: then the built-in type tests decide. Installs the
  // crash filter. The owner sets the options, then calls start(); the run
  // waits for startEvent.
  Recovery(Media& media, TypeDB* dictionary);
  ~Recovery() override;

  uint32_t run(void* argument) override;

  // Sector s is bit 0x80 >> (s & 7) of byte s / 8. A range whose end lies in
  // the last byte of the map or beyond it changes nothing.
  void markUsed(uint32_t first, uint32_t count);
  bool isUsed(uint32_t sector) const;
  // How many of the count sectors from first are not used, counted from
  // first up to the first used one.
  uint64_t unusedSectorsFrom(uint64_t first, uint64_t count) const;
  void releaseFile(const File& file);
  void allocateUsedMap(uint32_t bytes);

  // Files below dir (folders not counted); adds their sizes to foundBytes.
  uint32_t countFiles(const File& dir);

  uint32_t progressPercent() const;

  // Identifies the sector whose window (windowSectors sectors) the caller has
  // read, with the dictionary when there is one, else with the built-in tests
  // and this run's type options; sets pendingExtent when the length is known.
  bool identify(uint32_t sector, uint32_t windowSectors, std::string& extension, bool& picture,
                const File* openRecord);

  // The FAT volume (FAT analysis and directory walk). Booleans report
  // whether a volume, a directory's data or a chain was found.
  //
  // Finds the boot sector (sector 0, the first partition entry, or a search
  // of sectors 1 to 511), decodes it into bootSector and sets the FAT type,
  // clusterCount and endOfChain; false when there is no FAT volume.
  bool analyseBootSector();
  // Reads the root directory and walks it: the live pass, then the deleted
  // pass when includeDeleted is set (only the deleted pass with
  // deletedPassOnly). Sets sectorsPerCluster and firstDataSector.
  bool walkRootDirectory(const BootSector& bpb, bool deletedPassOnly = false);
  // The FAT entry of cluster c; endOfChain when the loaded FAT has none.
  uint32_t nextCluster(uint32_t c) const;
  // Makes records under parent for count 32-byte entries, and descends.
  void walkDirectory(const uint8_t* entries, uint32_t count, File& parent);
  // The bytes of a directory record along its runs; false when there are none.
  bool readDirectoryData(const File& directory, std::vector<uint8_t>& data);
  // Records for cluster chains that no record starts (with forceIntensive).
  void scanOrphanChains();

  // Formats message id of the language module, writes it to the trace and adds
  // it to the status list; nothing at all while there is no list.
  void LogByIdWith(unsigned id, const FormatArg* args, std::size_t count);
  template <typename... Args>
  void LogById(unsigned id, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    LogByIdWith(id, list, sizeof...(Args));
  }

  // Before the run starts: where it reports (the status step's list).
  void setStatusList(std::unique_ptr<StatusList> list) { statusList = std::move(list); }

  // The sector source's buffer, where every read lands; fetched afresh, since
  // the source may grow it when the sector size changes.
  uint8_t* sectorBuffer() const;

  Media& media;
  TypeDB* dictionary;

  Event startEvent;
  std::unique_ptr<StatusList> statusList;
  std::vector<uint8_t> fatCopy;
  std::vector<uint8_t> usedMap;
  uint32_t usedMapBytes = 0;
  uint32_t fatBytes = 0;
  uint64_t foundBytes = 0;
  // Polled by the user interface while the run goes on.
  std::atomic<uint32_t> progressPos{0};
  std::atomic<uint32_t> scanEnd{0};
  uint32_t sectorsPerCluster = 0;
  uint32_t firstDataSector = 0;
  uint32_t rootCluster = 0;
  uint32_t clusterCount = 0;
  uint32_t endOfChain = 0;
  uint32_t fileCounter = 0;
  uint64_t pendingExtent = 0;
  File root;
  bool isFat12 = false;
  bool isFat16 = false;
  bool isFat32 = false;
  bool includeDeleted = false;
  bool forceIntensive = false;
  bool suppressIntensive = false;
  bool keepPartial = false;
  bool wantJpeg = false;
  bool wantVideo = false;
  bool wantAvi = false;
  bool wantMp3 = false;
  bool wantTiff = false;
  bool wantOthers = false;
  bool structureDamaged = false;
  bool deletedPass = false;
  // The worker's copy of the boot sector; its hidden sectors field holds
  // bpbSector, the sector where it was found.
  BootSector bootSector;
  uint32_t bpbSector = 0;

 private:
  // A FAT directory holds at most 65536 entries; no more are read.
  static constexpr uint64_t kLargestDirectoryBytes = 65536 * 32;

  // How a chain's owner takes a collision with sectors already claimed.
  enum class ChainOwner { kLiveEntry, kDeletedEntry, kOrphan };

  // Waits for startEvent; false when a stop was requested first.
  bool waitForStart();
  void normaliseTypeOptions();

  // The phases of run().
  uint32_t findScanEnd(uint32_t sectorsToConsider);
  // False when the medium holds no FAT volume.
  bool fileSystemPass(uint32_t sectorsToConsider);
  bool loadFat(uint32_t fatSectors);
  void decideOnIntensiveScan(uint32_t sectorsToConsider);
  void intensiveScan();
  void closeScanRecord(File& record, uint32_t position, uint32_t lastData) const;
  void summarise();
  void allocateUsedMapForMedium();

  // FAT geometry.
  bool locateBootSector(uint32_t& sector);
  bool determineFatType();
  uint64_t clusterSector(uint32_t cluster) const;
  // The cluster holding a sector of the data area.
  uint32_t sectorCluster(uint32_t sector) const;
  // A FAT value that leads on to another cluster (not free, reserved or an
  // end mark).
  bool isChainLink(uint32_t value) const;
  uint32_t clustersOnMedium() const;

  // The directory walk.
  void readRootDirectory(const BootSector& bpb, std::vector<uint8_t>& data);
  void readFixedRootDirectory(uint64_t start, uint32_t entries, std::vector<uint8_t>& data);
  void readRootDirectoryChain(std::vector<uint8_t>& data);
  void walkRootPass(const std::vector<uint8_t>& data, bool deleted);
  void walkShortEntry(uint8_t* entry, bool deleted, const std::u16string& longName, File& parent);
  bool keepWalkedRecord(File& record, const uint8_t* entry, bool deleted, bool& collided);
  bool extendShortChain(File& record, const uint8_t* entry, bool& collided);
  void descend(File& directory);
  // Follows the chain from first, claiming its sectors for record. False
  // when the record must go: its chain runs off the medium.
  bool claimChain(File& record, uint32_t first, ChainOwner owner, bool& collided);
  void claimOrphanChain(uint32_t cluster, uint32_t windowSectors);
  void markRecordStarts(const File& directory, ClusterSet& starts) const;

  // One chain's clusters, to cut it where it comes back to itself.
  ClusterSet chainClusters_;
  std::vector<uint32_t> chainTrail_;
  // Sectors read as directory data in the current pass: none is read twice,
  // so a directory that points back into its ancestors ends there.
  std::unordered_set<uint32_t> walkedDirectorySectors_;
  std::vector<uint32_t> rootClusters_;  // FAT32
  uint32_t directoryDepth_ = 0;
  bool fatLoaded_ = false;
};
