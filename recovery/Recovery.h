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
#include <vector>

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

 private:
  // Waits for startEvent; false when a stop was requested first.
  bool waitForStart();
  void normaliseTypeOptions();
};
