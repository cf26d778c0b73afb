#include "Media.h"

#include <cctype>
#include <cstring>
#include <vector>

#include "DeviceExtent.h"
#include "MasterBootRecord.h"
#include "PlatformDevice.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"
#include "Utilities.h"

namespace {

// Room for some 2000 sectors of 512 bytes: the sectors the search reads on
// from move only once per that many reads.
constexpr uint32_t kBufferBytes = Media::kMaxSectorsPerRead * Media::kLargestSectorSize;
constexpr uint32_t kTracedSectors = 100;  // reads below this sector are traced
constexpr uint32_t kNotEnoughMemory = 8;
constexpr uint32_t kInvalidName = 123;

const char* const kBusNames[] = {"Unknown", "SCSI", "ATAPI", "ATA", "FireWire", "SSA", "Fibre", "USB", "RAID"};

const char* BusName(uint32_t busType) {
  return busType < sizeof kBusNames / sizeof kBusNames[0] ? kBusNames[busType] : kBusNames[0];
}

// A descriptor text counts only when it begins with a letter or a digit.
std::string DescriptorText(const std::string& raw) {
  if (raw.empty() || !std::isalnum(static_cast<unsigned char>(raw[0]))) return std::string();
  std::string text = raw;
  TrimRight(text);
  return text;
}

// partitionStart is a signed 32-bit sector number; a table entry that gives
// no such number (hostile or garbled) cannot bound the medium.
bool UsablePartition(int64_t firstSector, int64_t sectors) {
  return firstSector >= 0 && firstSector <= INT32_MAX && sectors >= 0;
}

}  // namespace

Media::Media(DeviceOpener* devices, UserNotice notice)
    : buffer(buffer_),
      sectorSize(sectorSize_),
      openedSectorSize(openedSectorSize_),
      sourcePath(sourcePath_),
      lastError(lastError_),
      partitionStart(partitionStart_),
      partitionLength(partitionLength_),
      sectorCount(sectorCount_),
      geometry(geometry_),
      cacheFirst(cacheFirst_),
      cacheCount(cacheCount_),
      devices_(devices != nullptr ? *devices : DefaultDeviceOpener()),
      notice_(notice ? std::move(notice) : UserNotice(ShowWarning)) {}

Media::~Media() { ReleaseSource(); }

bool Media::OpenDrive(char letter) {
  std::string path = "\\\\.\\X:";
  path[4] = letter;
  return OpenSource(path, Kind::kDrive, true, std::string(1, letter) + ":") && LearnDevice(path);
}

bool Media::OpenDevice(const std::string& name, bool quiet) {
  if (name.size() > kLongestDeviceName) {
    lastError_ = kInvalidName;
    TraceMessage("Device name %s is too long", name);
    return false;
  }
  std::string path = "\\\\.\\" + name;
  return OpenSource(path, Kind::kDevice, !quiet, name) && LearnDevice(path);
}

bool Media::OpenImage(const std::string& path) {
  return OpenSource(path, Kind::kImage, false, path) && LearnImage(path);
}

// Obtains the handle: read/write first, read-only when that is denied. Once
// a handle is obtained the previous error mode is not restored: critical-error
// suppression stays in force for the process, whatever the rest of the open
// gives.
bool Media::OpenSource(const std::string& path, Kind kind, bool warnIfDenied, const std::string& shownName) {
  if (device_) Close();
  sourcePath_ = path;
  TraceMessage(kind == Kind::kImage ? "Opening image file %s" : "Opening device %s", path);
  uint32_t previousMode = devices_.SetErrorMode(kFailCriticalErrors);

  uint32_t error = 0;
  device_ = devices_.Open(path, DeviceAccess::kReadWrite, error);
  if (device_) return true;
  lastError_ = error;
  if (error != kErrorAccessDenied) {
    if (kind == Kind::kDrive) TraceMessage("Open of %s failed with error %d", path, lastError_);
    devices_.SetErrorMode(previousMode);
    return false;
  }

  TraceMessage("Read/write open of %s failed, trying read-only open", path);
  device_ = devices_.Open(path, DeviceAccess::kReadOnly, error);
  if (device_) return true;
  lastError_ = error;
  TraceMessage("Read-only open of %s failed with error %d", path, lastError_);
  devices_.SetErrorMode(previousMode);
  if (error == kErrorAccessDenied && warnIfDenied) notice_(LoadText(kTextAccessDenied, shownName));
  return false;
}

bool Media::LearnDevice(const std::string& path) {
  uint32_t error = 0;
  DiskGeometry reply;
  if (!device_->QueryGeometry(reply, error)) {
    lastError_ = error;
    TraceMessage("IOCTL_DISK_GET_DRIVE_GEOMETRY failed with error %d", error);
    if (!GeometryUnsupported(error) || !ProbeGeometry(reply)) return false;
  }
  geometry_ = reply;
  TraceMessage("%s opened, media type=%x, cyl=%d, trks=%d, sectors=%d, sector=%d", path, reply.mediaType,
               static_cast<int32_t>(reply.cylinders), reply.tracksPerCylinder, reply.sectorsPerTrack,
               reply.bytesPerSector);
  // No sector size (as a reader may answer without a card), or one beyond
  // what the buffer can hold.
  if (reply.bytesPerSector == 0 || reply.bytesPerSector > kLargestSectorSize) {
    lastError_ = kErrorNotReady;
    TraceMessage("Sector size %d cannot be read", reply.bytesPerSector);
    return false;
  }
  sectorSize_ = reply.bytesPerSector;
  openedSectorSize_ = sectorSize_;
  if (buffer_ == nullptr && !AllocateBuffer()) return false;

  std::vector<PartitionEntry> entries;
  if (!device_->QueryLayout(entries, error)) {
    lastError_ = error;
    TraceMessage("IOCTL_DISK_GET_DRIVE_LAYOUT failed with error %d", error);
    // A device that knows no partition table (a superfloppy card, Wine's raw
    // devices) is read whole.
    if (error != kErrorInvalidFunction && error != kErrorNotSupported) return false;
    UseGeometryExtent();
    return true;
  }
  // The first entry of nonzero type that starts after sector 0 sets the
  // bounds; one that starts at sector 0 sets them until the next one does.
  partitionStart_ = 0;
  bool bounded = false;
  for (const PartitionEntry& entry : entries) {
    TraceMessage("Partition: %10s %10s %x", FormatInt64(entry.startingOffset), FormatInt64(entry.length), entry.type);
    if (entry.type == 0 || partitionStart_ != 0) continue;
    int64_t firstSector = entry.startingOffset / static_cast<int64_t>(sectorSize_);
    int64_t sectors = entry.length / static_cast<int64_t>(sectorSize_);
    if (!UsablePartition(firstSector, sectors)) continue;
    partitionStart_ = static_cast<int32_t>(firstSector);
    partitionLength_ = static_cast<uint64_t>(sectors);
    sectorCount_ = static_cast<uint64_t>(firstSector + sectors);
    bounded = true;
  }
  // An empty table, or one without a used entry: the whole device counts.
  if (!bounded) UseGeometryExtent();
  return true;
}

// Errors of a driver that does not know the query, as opposed to a drive
// without a card; Wine gives no error code at all.
bool Media::GeometryUnsupported(uint32_t error) {
  return error == 0 || error == kErrorInvalidFunction || error == kErrorNotSupported;
}

// A device that cannot tell its geometry is read in 512-byte sectors and
// sized by reading; one cylinder per sector keeps the count exact.
bool Media::ProbeGeometry(DiskGeometry& geometry) {
  uint64_t count = 0;
  uint32_t error = 0;
  if (!ProbeSectorCount(*device_, kImageSectorSize, count, error)) {
    lastError_ = error;
    TraceMessage("Sector 0 cannot be read, error %d", error);
    return false;
  }
  geometry = DiskGeometry{};
  geometry.cylinders = static_cast<int64_t>(count);
  geometry.tracksPerCylinder = 1;
  geometry.sectorsPerTrack = 1;
  geometry.bytesPerSector = kImageSectorSize;
  TraceMessage("Device size found by reading: %s sectors of %d bytes", FormatInt64(geometry.cylinders),
               kImageSectorSize);
  return true;
}

bool Media::LearnImage(const std::string& path) {
  sectorSize_ = kImageSectorSize;
  openedSectorSize_ = sectorSize_;
  partitionStart_ = 0;
  if (buffer_ == nullptr && !AllocateBuffer()) return false;
  uint64_t size = 0;
  uint32_t error = 0;
  if (!device_->FileSize(size, error)) {
    lastError_ = error;
    TraceMessage("Size of %s unknown, error %d", path, error);
    return false;
  }
  partitionLength_ = size;
  sectorCount_ = size / kImageSectorSize;  // a partial last sector does not count

  // An active partition of a master boot record bounds the medium.
  if (ReadSectors(0, 1) && HasBootSignature(buffer_)) {
    for (int i = 0; i < kBootRecordEntries; ++i) {
      BootRecordEntry entry = ReadBootRecordEntry(buffer_, i);
      if (entry.bootFlag != 0x80 || !UsablePartition(entry.firstSector, entry.sectorCount)) continue;
      partitionStart_ = static_cast<int32_t>(entry.firstSector);
      partitionLength_ = entry.sectorCount;
      break;
    }
  }
  TraceMessage("%s opened, size=%s", path, FormatInt64(static_cast<int64_t>(partitionLength_)));
  return true;
}

bool Media::AllocateBuffer() {
  if (!memory_.Allocate(kBufferBytes, kBufferBytes)) {
    lastError_ = kNotEnoughMemory;
    return false;
  }
  buffer_ = memory_.data();
  ForgetCache();
  return true;
}

void Media::UseGeometryExtent() {
  uint64_t cylinders = geometry_.cylinders < 0 ? 0 : static_cast<uint64_t>(geometry_.cylinders);
  uint64_t perCylinder = static_cast<uint64_t>(geometry_.tracksPerCylinder) * geometry_.sectorsPerTrack;
  partitionStart_ = 0;
  partitionLength_ = cylinders * perCylinder;
  sectorCount_ = partitionLength_;
}

bool Media::QueryStorageProperties(std::string& vendor, std::string& model, std::string& bus) {
  StorageDescriptor descriptor;
  uint32_t error = 0;
  if (!device_ || !device_->QueryStorage(descriptor, error)) return false;
  vendor = DescriptorText(descriptor.vendorId);
  model = DescriptorText(descriptor.productId);
  bus = BusName(descriptor.busType);
  std::string serial = descriptor.hasSerialNumber ? descriptor.serialNumber : "N/A";
  TraceMessage("Storage query property information: Vendor:%s, Model:%s, Bus:%s, Serial=%s", vendor, model, bus,
               serial);
  return true;
}

bool Media::ReadSectors(uint32_t first, uint32_t count) {
  if (count > kMaxSectorsPerRead) return false;
  if (first < kTracedSectors) TraceMessage("Reading sector %d for %d", first, count);
  if (!device_ || buffer_ == nullptr) {  // nothing open, or an open that failed
    lastError_ = kErrorInvalidHandle;
    return false;
  }
  // Only a sector size beyond kLargestSectorSize leaves the buffer short.
  if (static_cast<uint64_t>(count) * sectorSize_ > memory_.size()) {
    lastError_ = kErrorInvalidParameter;
    return false;
  }

  const uint64_t cacheEnd = static_cast<uint64_t>(cacheFirst_) + cacheCount_;
  if (first >= cacheFirst_ && first < cacheEnd)
    return ReadTail(first, static_cast<uint32_t>(cacheEnd - first), count);

  buffer_ = memory_.data();
  uint32_t wanted = count * sectorSize_;
  uint32_t delivered = 0;
  if (!ReadWithRetries(static_cast<uint64_t>(first) * sectorSize_, buffer_, wanted, delivered)) {
    cacheCount_ = 0;
    return false;
  }
  if (delivered < wanted) {
    lastError_ = kErrorSeek;
    cacheCount_ = 0;
    return false;
  }
  cacheFirst_ = first;
  cacheCount_ = count;
  return true;
}

// The window moves onto the keep cached sectors from first; only the rest is
// read, behind them. They are moved to the buffer's start only when the rest
// would not fit behind them.
bool Media::ReadTail(uint32_t first, uint32_t keep, uint32_t count) {
  const std::size_t ss = sectorSize_;
  buffer_ += (first - cacheFirst_) * ss;
  cacheFirst_ = first;
  cacheCount_ = keep;
  if (keep >= count) return true;
  if (static_cast<std::size_t>(buffer_ - memory_.data()) + count * ss > memory_.size()) {
    std::memmove(memory_.data(), buffer_, keep * ss);
    buffer_ = memory_.data();
  }
  uint32_t wanted = (count - keep) * sectorSize_;
  uint32_t delivered = 0;
  if (!ReadWithRetries((static_cast<uint64_t>(first) + keep) * ss, buffer_ + keep * ss, wanted, delivered))
    return false;
  if (delivered < wanted) {  // only whole sectors that arrived count
    lastError_ = kErrorSeek;
    cacheCount_ = keep + delivered / sectorSize_;
    return false;
  }
  cacheCount_ = count;
  return true;
}

// The same request again at once: no pause, no smaller request.
bool Media::ReadWithRetries(uint64_t offset, uint8_t* destination, uint32_t bytes, uint32_t& delivered) {
  for (uint32_t attempt = 0; attempt < kReadAttempts; ++attempt) {
    uint32_t error = 0;
    if (device_->Seek(offset, error) && device_->Read(destination, bytes, delivered, error)) return true;
    lastError_ = error;
  }
  return false;
}

void Media::Close() {
  TraceMessage("Closing media device access");
  ReleaseSource();
}

// The counts and the geometry stay; the cache goes with the buffer it describes.
void Media::ReleaseSource() {
  sourcePath_.clear();
  device_.reset();
  memory_.Release();
  buffer_ = nullptr;
  ForgetCache();
}

void Media::ForgetCache() {
  cacheFirst_ = kNoSector;
  cacheCount_ = 0;
}

void Media::SetGeometry(uint32_t heads, uint32_t sectorsPerTrack) {
  geometry_.tracksPerCylinder = heads;
  geometry_.sectorsPerTrack = sectorsPerTrack & 0x3F;
}

uint32_t Media::ChsToLba(uint8_t cylinderLow, uint8_t head, uint8_t sectorAndCylinderHigh) const {
  uint32_t cylinder = cylinderLow + (sectorAndCylinderHigh & 0xC0u) * 4u;
  uint32_t sector = sectorAndCylinderHigh & 0x3Fu;
  return (cylinder * geometry_.tracksPerCylinder + head) * geometry_.sectorsPerTrack + sector - 1u;
}

void Media::SetSectorSize(uint32_t bytes) {
  // Cached sectors of the old size are not sectors of the new one.
  if (bytes != sectorSize_) ForgetCache();
  sectorSize_ = bytes;
}
