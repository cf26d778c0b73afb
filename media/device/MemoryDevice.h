// A medium held in memory, for tests, fuzz targets and benchmarks: a byte
// image with faults to inject, a modelled reader's timing and counters of
// what was asked of it. MemoryDeviceOpener hands it out by path, so Media
// opens it as it would open "\\.\E:" or an image file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Device.h"

struct DeviceCounters {
  uint64_t opens = 0;
  uint64_t readRequests = 0;
  uint64_t bytesRequested = 0;
  uint64_t bytesDelivered = 0;
  uint64_t modelledMicroseconds = 0;  // what the modelled reader took, waited for or not
  uint64_t lastOffset = 0;            // of the last read request
  uint32_t lastBytes = 0;
};

class MemoryMedium {
 public:
  // A device of bytes; its geometry is synthesised from the size. Fault
  // positions are in sectors of sectorSize bytes.
  explicit MemoryMedium(std::vector<uint8_t> image, uint32_t sectorSize = 512);

  // Makes it answer like a plain file: no geometry, layout or storage
  // descriptor (error 1).
  void BehaveAsFile();

  // Every read that touches the sector fails with error. With attempts, only
  // the first that many reads touching it fail.
  void FailSector(uint64_t sector, uint32_t error = kErrorCrc);
  void FailSectorFirst(uint64_t sector, uint32_t attempts, uint32_t error = kErrorCrc);
  // A read that reaches the sector succeeds with the bytes before it only.
  void ShortReadAt(uint64_t sector);

  std::vector<uint8_t> bytes;
  uint32_t sectorSize;

  // Opening.
  bool denyReadWrite = false;  // read/write opens fail with 5
  bool denyReadOnly = false;   // read-only opens fail with 5
  uint32_t openError = 0;      // when not 0, every open fails with it
  bool notReady = false;       // opens, then queries and reads fail with 21

  // Queries: an error of 0 answers with the value.
  DiskGeometry geometry;
  uint32_t geometryError = 0;
  std::vector<PartitionEntry> partitions;
  uint32_t layoutError = 0;
  StorageDescriptor storage;
  uint32_t storageError = 0;
  uint32_t seekError = 0;

  // A modelled reader (a USB card reader: 500 us and 40 MB/s): each request
  // costs the latency plus its bytes at the bandwidth (0: unlimited). With
  // waitForModelledTime the read takes that long in wall-clock time.
  uint32_t latencyMicroseconds = 0;
  uint64_t bytesPerSecond = 0;
  bool waitForModelledTime = false;

  DeviceCounters counters;

  // Reads [offset, offset + bytes) into destination as the faults allow.
  bool ReadAt(uint64_t offset, uint8_t* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error);

 private:
  struct Fault {
    uint32_t error;
    uint64_t remaining;  // failing reads left
    bool shortRead;
  };
  static constexpr uint64_t kAlways = UINT64_MAX;

  uint64_t ModelledCost(uint32_t bytes) const;
  static void Wait(uint64_t microseconds);

  std::map<uint64_t, Fault> faults_;
};

class MemoryDevice : public Device {
 public:
  explicit MemoryDevice(std::shared_ptr<MemoryMedium> medium);

  bool QueryGeometry(DiskGeometry& geometry, uint32_t& error) override;
  bool QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) override;
  bool QueryStorage(StorageDescriptor& descriptor, uint32_t& error) override;
  bool Seek(uint64_t offset, uint32_t& error) override;
  bool Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) override;
  bool FileSize(uint64_t& size, uint32_t& error) override;

 private:
  bool Ready(uint32_t& error) const;

  std::shared_ptr<MemoryMedium> medium_;
  uint64_t position_ = 0;
};

class MemoryDeviceOpener : public DeviceOpener {
 public:
  // Makes a medium reachable under path ("\\.\E:", "card.img").
  std::shared_ptr<MemoryMedium> Add(const std::string& path, std::vector<uint8_t> image, uint32_t sectorSize = 512);

  std::unique_ptr<Device> Open(const std::string& path, DeviceAccess access, uint32_t& error) override;
  uint32_t SetErrorMode(uint32_t mode) override;

  uint32_t errorMode = 0;  // the process error mode as Media left it

 private:
  std::map<std::string, std::shared_ptr<MemoryMedium>> media_;
};
