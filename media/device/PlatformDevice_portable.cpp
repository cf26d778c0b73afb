// Image files and Linux block devices through file descriptors.
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "FileHoles.h"
#include "MasterBootRecord.h"
#include "PlatformDevice.h"
#include "PosixDeviceInfo.h"

namespace {

constexpr uint32_t kRemovableMedia = 11;
constexpr uint32_t kFixedMedia = 12;
// Any nonzero type: the sector source takes the bounds of the first such entry.
constexpr uint8_t kWholeMediumType = 0x06;

std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// The sysfs folder of the whole disk behind a block device node.
std::string SysfsDiskFolder(dev_t device) {
  std::string link = "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  char* resolved = realpath(link.c_str(), nullptr);
  if (resolved == nullptr) return std::string();
  std::string folder = resolved;
  std::free(resolved);
  if (Exists(folder + "/partition")) folder = folder.substr(0, folder.find_last_of('/'));
  return folder;
}

class PosixDevice : public Device {
 public:
  PosixDevice(int fd, const struct stat& info) : fd_(fd), block_(S_ISBLK(info.st_mode)), rdev_(info.st_rdev) {}
  ~PosixDevice() override { close(fd_); }

  bool QueryGeometry(DiskGeometry& geometry, uint32_t& error) override {
    uint32_t sectorSize = 0;
    uint64_t size = 0;
    if (!BlockFacts(sectorSize, size, error)) return false;
    uint32_t mediaType = FirstLine(SysfsDiskFolder(rdev_) + "/removable") == "1" ? kRemovableMedia : kFixedMedia;
    DiskGeometry answer = SynthesisedGeometry(size, sectorSize, mediaType);
    struct hd_geometry reported {};
    if (ioctl(fd_, HDIO_GETGEO, &reported) == 0 && reported.heads != 0 && reported.sectors != 0) {
      // Its cylinder field is 16 bits wide: the count comes from the size.
      answer.tracksPerCylinder = reported.heads;
      answer.sectorsPerTrack = reported.sectors;
      answer.cylinders = static_cast<int64_t>(size / (uint64_t{reported.heads} * reported.sectors * sectorSize));
    }
    geometry = answer;
    return true;
  }

  // The four entries of the device's own master boot record; a medium
  // without one is a single partition over all of it.
  bool QueryLayout(std::vector<PartitionEntry>& entries, uint32_t& error) override {
    uint32_t sectorSize = 0;
    uint64_t size = 0;
    if (!BlockFacts(sectorSize, size, error)) return false;
    std::vector<uint8_t> sector(sectorSize < kBootRecordBytes ? kBootRecordBytes : sectorSize, 0);
    uint32_t got = 0;
    if (!ReadAt(0, sector.data(), sectorSize, got, error)) return false;
    if (got < kBootRecordBytes || !LayoutFromBootRecord(sector.data(), sectorSize, entries)) {
      PartitionEntry whole;
      whole.length = static_cast<int64_t>(size);
      whole.type = kWholeMediumType;
      entries.assign(1, whole);
    }
    return true;
  }

  bool QueryStorage(StorageDescriptor& descriptor, uint32_t& error) override {
    std::string folder = block_ ? SysfsDiskFolder(rdev_) : std::string();
    if (folder.empty() || !Exists(folder + "/device")) {
      error = kErrorInvalidFunction;
      return false;
    }
    StorageDescriptor answer;
    answer.vendorId = FirstLine(folder + "/device/vendor");
    answer.productId = FirstLine(folder + "/device/model");
    answer.hasSerialNumber = Exists(folder + "/device/serial");
    if (answer.hasSerialNumber) answer.serialNumber = FirstLine(folder + "/device/serial");
    answer.busType = BusTypeFromSysfsPath(folder);
    descriptor = answer;
    return true;
  }

  bool Seek(uint64_t offset, uint32_t& error) override {
    if (offset > static_cast<uint64_t>(LLONG_MAX)) {
      error = kErrorInvalidParameter;
      return false;
    }
    position_ = offset;
    return true;
  }

  bool Read(void* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) override {
    uint32_t got = 0;
    if (!ReadAt(position_, static_cast<uint8_t*>(destination), bytes, got, error)) return false;
    position_ += got;
    delivered = got;
    return true;
  }

  bool FileSize(uint64_t& size, uint32_t& error) override {
    if (block_) {
      uint32_t sectorSize = 0;
      return BlockFacts(sectorSize, size, error);
    }
    struct stat info;
    if (fstat(fd_, &info) != 0) {
      error = WindowsErrorFromErrno(errno);
      return false;
    }
    size = static_cast<uint64_t>(info.st_size);
    return true;
  }

 private:
  // Only block devices have a geometry or a partition table; a plain file
  // answers as it does on Windows.
  bool BlockFacts(uint32_t& sectorSize, uint64_t& size, uint32_t& error) const {
    if (!block_) {
      error = kErrorInvalidFunction;
      return false;
    }
    int logical = 0;
    if (ioctl(fd_, BLKSSZGET, &logical) != 0 || ioctl(fd_, BLKGETSIZE64, &size) != 0) {
      error = WindowsErrorFromErrno(errno);
      return false;
    }
    sectorSize = static_cast<uint32_t>(logical);
    return true;
  }

  // Reads until the request is filled or the data ends. An error after part
  // of the request fails all of it, as one request to a Windows device does.
  // The holes of an image file are filled here (FileHoles.h).
  bool ReadAt(uint64_t offset, uint8_t* destination, uint32_t bytes, uint32_t& delivered, uint32_t& error) {
    uint32_t done = 0;
    while (done < bytes) {
      const uint64_t hole = block_ ? 0 : holes_.HoleAt(offset + done, bytes - done);
      if (hole != 0) {
        std::memset(destination + done, 0, static_cast<std::size_t>(hole));
        done += static_cast<uint32_t>(hole);
        continue;
      }
      ssize_t n = pread(fd_, destination + done, bytes - done, static_cast<off_t>(offset + done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        error = WindowsErrorFromErrno(errno);
        return false;
      }
      if (n == 0) break;
      done += static_cast<uint32_t>(n);
    }
    delivered = done;
    return true;
  }

  int fd_;
  bool block_;
  dev_t rdev_;
  uint64_t position_ = 0;
  FileHoles holes_{fd_};
};

class PosixDeviceOpener : public DeviceOpener {
 public:
  std::unique_ptr<Device> Open(const std::string& path, DeviceAccess access, uint32_t& error) override {
    int flags = (access == DeviceAccess::kReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    int fd = open(NativeDevicePath(path).c_str(), flags);
    if (fd < 0) {
      error = WindowsErrorFromErrno(errno);
      return nullptr;
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
      error = WindowsErrorFromErrno(errno);
      close(fd);
      return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {  // Windows refuses to open a folder as a file
      error = kErrorAccessDenied;
      close(fd);
      return nullptr;
    }
    return std::make_unique<PosixDevice>(fd, info);
  }

  // There are no critical-error dialogs here; the mode is only kept. The
  // enumeration thread and the user-interface thread both open devices.
  uint32_t SetErrorMode(uint32_t mode) override { return mode_.exchange(mode); }

 private:
  std::atomic<uint32_t> mode_{0};
};

}  // namespace

DeviceOpener& PlatformDeviceOpener() {
  static PosixDeviceOpener opener;
  return opener;
}
