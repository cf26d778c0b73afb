// The sector source: the one way the program reads the medium it recovers
// from. It opens a drive by letter ("\\.\E:"), a device by name
// ("\\.\PhysicalDrive2") or a raw image file, learns the sector size and how
// many sectors are worth reading, and hands out runs of up to 16 consecutive
// sectors inside a buffer it owns.
//
// Error convention: every operation that can fail returns true on success;
// on failure false, and lastError holds the Windows error code of the step
// that failed (25: a read gave fewer bytes than asked for; 21: no medium in
// the drive). Every failed open step is traced; read failures are not.
//
// The buffer holds many more sectors than one read gives: a read that runs on
// from the sectors it holds moves buffer onto them instead of moving them,
// and fetches only what it lacks. So buffer points at the last read's sectors
// and may move with every read; the memory behind it stays while a source is
// open. Not thread-safe: one reader at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Device.h"
#include "PageMemory.h"
#include "UserNotice.h"

class Media {
 public:
  static constexpr uint32_t kMaxSectorsPerRead = 16;
  static constexpr uint32_t kImageSectorSize = 512;
  static constexpr uint32_t kReadAttempts = 10;
  static constexpr uint32_t kLongestDeviceName = 46;
  // The buffer holds 16 sectors of this size, so that a larger sector size
  // never moves it.
  static constexpr uint32_t kLargestSectorSize = 65536;
  static constexpr uint32_t kNoSector = 0xFFFFFFFF;

  // devices: where sources are opened (default: the platform's, with
  // read-ahead); notice: where the access-denied warning goes (default: a
  // message box, or standard error natively).
  explicit Media(DeviceOpener* devices = nullptr, UserNotice notice = nullptr);
  virtual ~Media();
  Media(const Media&) = delete;
  Media& operator=(const Media&) = delete;

  // letter 'A'..'Z'.
  bool OpenDrive(char letter);
  // name without the "\\.\" prefix, at most 46 characters; quiet suppresses
  // the access-denied warning.
  bool OpenDevice(const std::string& name, bool quiet);
  bool OpenImage(const std::string& path);

  // False when the source gives no storage descriptor; the texts are then
  // left as they were.
  bool QueryStorageProperties(std::string& vendor, std::string& model, std::string& bus);

  // count <= 16. On true the sectors first .. first + count - 1 stand at
  // buffer; on false buffer points where they would stand, and cacheCount
  // tells how many of them arrived. Reads beyond sectorCount are not refused
  // here.
  bool ReadSectors(uint32_t first, uint32_t count);

  void Close();

  // Stores heads unchanged and sectorsPerTrack & 0x3F.
  void SetGeometry(uint32_t heads, uint32_t sectorsPerTrack);
  // The three bytes of a partition entry's CHS field, with the heads and
  // sectors per track of geometry; 32-bit arithmetic.
  uint32_t ChsToLba(uint8_t cylinderLow, uint8_t head, uint8_t sectorAndCylinderHigh) const;
  // Replaces sectorSize; the sectors the buffer held no longer count as read.
  void SetSectorSize(uint32_t bytes);

  // Read access for users.
  uint8_t* const& buffer;  // the last read's first sector; null while nothing is open
  const uint32_t& sectorSize;
  // What the open learnt, before any SetSectorSize: the unit of sectorCount.
  const uint32_t& openedSectorSize;
  // What was opened: "\\.\E:", "\\.\PhysicalDrive2" or the image file's
  // path; empty while nothing is open.
  const std::string& sourcePath;
  const uint32_t& lastError;
  const int32_t& partitionStart;    // first sector of the bounding partition; 0 for the whole device
  const uint64_t& partitionLength;  // in sectors (an image without an active partition: in bytes)
  const uint64_t& sectorCount;      // the sectors from 0 that count as the medium
  const DiskGeometry& geometry;
  const uint32_t& cacheFirst;  // the sector at buffer
  const uint32_t& cacheCount;  // valid sectors from buffer on

 private:
  enum class Kind { kDrive, kDevice, kImage };

  bool OpenSource(const std::string& path, Kind kind, bool warnIfDenied, const std::string& shownName);
  bool LearnDevice(const std::string& path);
  static bool GeometryUnsupported(uint32_t error);
  bool ProbeGeometry(DiskGeometry& geometry);
  bool LearnImage(const std::string& path);
  bool AllocateBuffer();
  bool ReadTail(uint32_t first, uint32_t keep, uint32_t count);
  void UseGeometryExtent();
  void ReleaseSource();
  void ForgetCache();
  bool ReadWithRetries(uint64_t offset, uint8_t* destination, uint32_t bytes, uint32_t& delivered);

  DeviceOpener& devices_;
  UserNotice notice_;
  std::unique_ptr<Device> device_;
  PageMemory memory_;
  uint8_t* buffer_ = nullptr;  // inside memory_
  uint32_t sectorSize_ = 0;
  uint32_t openedSectorSize_ = 0;
  std::string sourcePath_;
  uint32_t lastError_ = 0;
  int32_t partitionStart_ = 0;
  uint64_t partitionLength_ = 0;
  uint64_t sectorCount_ = 0;
  DiskGeometry geometry_;
  uint32_t cacheFirst_ = kNoSector;
  uint32_t cacheCount_ = 0;
};
