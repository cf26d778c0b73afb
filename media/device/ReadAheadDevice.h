// Read-ahead for requests that run forward. A USB card reader answers every
// request after a fixed delay, and the recovery run asks for one new sector
// at a time, so a plain layer spends its time waiting. When a request starts
// where the previous one ended, the aligned block around it is read in one
// request and the following requests are served from memory. Requests that
// jump (the backward probe for the end of the data, the sector viewer) are
// read exactly as asked. A block that cannot be read, or that ends before the
// request does, falls back to reading exactly the request, so the caller gets
// the device's own answer for that range: its error code, its short read at
// the end of the data, its bad sectors.
#pragma once

#include <cstdint>
#include <memory>

#include "Device.h"
#include "PageMemory.h"

class ReadAheadDevice : public Device {
 public:
  static constexpr uint32_t kBlockBytes = 1u << 20;

  explicit ReadAheadDevice(std::unique_ptr<Device> inner);

  bool QueryGeometry(DiskGeometry& geometry, uint32_t& error) override;
  bool QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) override;
  bool QueryStorage(StorageDescriptor& descriptor, uint32_t& error) override;
  bool Seek(uint64_t offset, uint32_t& error) override;
  bool Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) override;
  bool FileSize(uint64_t& size, uint32_t& error) override;

 private:
  bool Holds(uint64_t start, uint64_t end) const;
  bool ReadThroughBlocks(uint64_t start, uint32_t bytes, uint8_t* destination);
  bool FillBlock(uint64_t start);

  std::unique_ptr<Device> inner_;
  bool sizeKnown_ = false;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
  uint64_t sequentialNext_ = UINT64_MAX;  // where a forward-running request starts
  PageMemory block_;
  uint64_t blockStart_ = 0;
  uint32_t blockValid_ = 0;  // bytes of block_ that hold data from blockStart_
  uint64_t failedBlock_ = UINT64_MAX;  // not tried again: its requests are read exactly
};

// Wraps every device that another opener opens.
class ReadAheadOpener : public DeviceOpener {
 public:
  explicit ReadAheadOpener(DeviceOpener& inner) : inner_(inner) {}

  std::unique_ptr<Device> Open(const std::string& path, DeviceAccess access, uint32_t& error) override;
  uint32_t SetErrorMode(uint32_t mode) override { return inner_.SetErrorMode(mode); }

 private:
  DeviceOpener& inner_;
};
