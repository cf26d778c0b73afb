// The worker of one recovery run: it owns the run's options, the FAT volume
// the analyses find, the used-sector map, the progress counters and the tree
// of found records under root, and hands them to the parts of the run (the
// directory walk and orphan chains in fat/, the sector search in carve/).
// The run reads the sector source on the worker's own thread; the user
// interface polls progressPercent() and reads root only once the worker has
// finished.
//
// Convention: booleans report success; counts are sectors unless named bytes.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Event.h"
#include "ExfatVolume.h"
#include "FatVolume.h"
#include "File.h"
#include "Format.h"
#include "RecoveryOptions.h"
#include "StatusList.h"
#include "Thread.h"
#include "UsedSectorMap.h"

class Media;
class TypeDB;
struct Identification;

class Recovery : public Thread {
 public:
  // dictionary may be null: then the built-in type tests decide. Installs the
  // crash filter. The owner calls start(); the run waits for startEvent.
  Recovery(Media& media, TypeDB* dictionary, const RecoveryOptions& options = RecoveryOptions());
  ~Recovery() override;

  uint32_t run(void* argument) override;

  // Claims sectors for a found file, and moves the progress up to them. A
  // range whose end lies in the last byte of the map or beyond it changes
  // nothing.
  void markUsed(uint32_t first, uint32_t count);
  // Moves the progress position up to position; it never goes down.
  void advanceProgress(uint32_t position);
  bool isUsed(uint32_t sector) const { return used_.isUsed(sector); }
  UsedSectorMap& usedSectors() { return used_; }

  // Files below dir (folders and volume labels not counted); adds their
  // sizes to bytes.
  static uint32_t countFiles(const File& dir, uint64_t& bytes);

  // 0 to 100, never less than an earlier answer. For the user-interface
  // thread, which alone asks.
  uint32_t progressPercent() const;

  // Identifies the sector whose window (windowSectors sectors) the caller has
  // read, with the dictionary when there is one, else with the built-in tests
  // and this run's type options. openRecord: the record the sector search is
  // still extending, or null.
  bool identify(uint32_t sector, uint32_t windowSectors, const File* openRecord, Identification& result);

  // Formats message id of the language module, writes it to the trace and adds
  // it to the status list; nothing at all while there is no list.
  void LogByIdWith(unsigned id, const FormatArg* args, std::size_t count);
  template <typename... Args>
  void LogById(unsigned id, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    LogByIdWith(id, list, sizeof...(Args));
  }

  // Before the run starts: where it reports (the status step's list).
  void setStatusList(std::unique_ptr<StatusList> list) { statusList_ = std::move(list); }

  Media& media;
  TypeDB* const dictionary;
  // Set by the owner before start(); the run normalises the types and may
  // turn on includeDeleted.
  RecoveryOptions options;
  Event startEvent;
  // Polled by the user interface while the run goes on.
  std::atomic<uint32_t> progressPos{0};
  std::atomic<uint32_t> scanEnd{0};
  File root;
  // The directories proved damaged: the sectors are searched too.
  bool structureDamaged = false;
  // The numbers of the generated names, shared by orphan chains and the
  // sector search.
  uint32_t fileCounter = 0;

 private:
  // Waits for startEvent; false when a stop was requested first.
  bool waitForStart();

  // The phases of run().
  uint32_t findScanEnd(uint32_t sectorsToConsider);
  // False when the medium holds no FAT or exFAT volume.
  bool fileSystemPass(uint32_t sectorsToConsider);
  bool exfatPass();
  void decideOnIntensiveScan(uint32_t sectorsToConsider);
  void intensiveScan();
  void summarise();

  FatVolume volume_;
  // Found only where there is no FAT volume.
  ExfatVolume exfat_;
  UsedSectorMap used_;
  std::unique_ptr<StatusList> statusList_;
  mutable uint32_t lastPercent_ = 0;
};
