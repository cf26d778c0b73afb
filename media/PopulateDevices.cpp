#include "PopulateDevices.h"

#include <vector>

#include "Media.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"

namespace {

const char* const kDriveTypeNames[] = {"Unknown", "NoRootDir", "Removable", "Fixed", "Remote", "CDROM", "RAMDISK"};

const char* DriveTypeName(uint32_t type) {
  return type < sizeof kDriveTypeNames / sizeof kDriveTypeNames[0] ? kDriveTypeNames[type] : kDriveTypeNames[0];
}

// "\Device\Harddisk" is 16 characters: a digit after it starts the disk's
// number ("\Device\Harddisk1\DR1"), a "V" a volume's ("\Device\HarddiskVolume3").
const char kDiskTarget[] = "\\Device\\Harddisk";
const char kVolumeTarget[] = "\\Device\\HarddiskVolume";
const char kPhysicalDrive[] = "PhysicalDrive";

bool StartsWith(const std::string& text, const char* prefix, std::size_t length) {
  return text.compare(0, length, prefix) == 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The mask bit of the decimal number at text[from]: disks 32 apart share one.
// Taken modulo 32 digit by digit, so that no number is too long. False when
// there is no digit there, or (with wholeText) anything but digits follows.
bool DiskBit(const std::string& text, std::size_t from, bool wholeText, uint32_t& bit) {
  std::size_t end = from;
  uint32_t number = 0;
  while (end < text.size() && IsDigit(text[end]))
    number = (number * 10 + static_cast<uint32_t>(text[end++] - '0')) % 32;
  if (end == from || (wholeText && end != text.size())) return false;
  bit = 1u << number;
  return true;
}

std::string Cut(const std::string& text) { return text.substr(0, PopulateDevices::kLongestRowField); }

}  // namespace

// Three fields and the PhysicalDrive name (at most Media::kLongestDeviceName)
// keep every row well inside the list box's and the formatter's limits.
static_assert(3 * PopulateDevices::kLongestRowField + Media::kLongestDeviceName + 8 < 500, "a row stays short");

PopulateDevices::PopulateDevices(DeviceListSink& sink, bool accessFloppy, DriveSet& drives, DeviceOpener* devices)
    : sink_(sink), accessFloppy_(accessFloppy), drives_(drives), devices_(devices) {}

PopulateDevices::~PopulateDevices() { waitUntilFinished(); }

uint32_t PopulateDevices::run(void*) {
  disksWithLetters_ = 0;
  anyDeviceRow_ = false;
  // The worker never shows a window: a warning the probe would give is traced.
  Media media(devices_, [](const std::string& text) { TraceMessage("Not shown: %s", text); });

  sink_.Clear();
  sink_.Add(LoadText(kTextLookingForDevices), DeviceListSink::kInformationRow);
  for (char letter = accessFloppy_ ? 'A' : 'C'; letter <= 'Z' && !stopRequested(); ++letter) ProbeLetter(media, letter);
  if (!stopRequested()) ProbePhysicalDisks(media);
  if (!anyDeviceRow_ && !stopRequested()) {
    sink_.Clear();
    sink_.Add(LoadText(kTextNoDevices), DeviceListSink::kInformationRow);
  }
  sink_.Finished(!anyDeviceRow_);
  return 0;
}

void PopulateDevices::ProbeLetter(Media& media, char letter) {
  std::string root = Format("%c:\\", letter);
  uint32_t type = drives_.DriveType(letter);
  TraceMessage("Drive type for %s: %s", root, DriveTypeName(type));
  if (type == kDriveRemovable || type == kDriveNoRootDir) ListDrive(media, letter, root);
  if (type == kDriveRemovable || type == kDriveFixed) MarkDisksOf(letter);
}

void PopulateDevices::ListDrive(Media& media, char letter, const std::string& root) {
  TraceMessage("Getting volume information for %s drive", root);
  std::string volume;
  std::string fileSystem;
  if (!drives_.VolumeInformation(letter, volume, fileSystem)) volume = LoadText(kTextNoVolumeName);
  TraceMessage("%s - filesys:%s, volume:%s", root, fileSystem, volume);
  // Reading the volume of an empty floppy drive can take seconds.
  if (stopRequested()) return;

  // A failed open may still hold the drive; the next open or the end of the
  // run lets it go.
  if (!media.OpenDrive(letter)) {
    if (media.lastError == kErrorAccessDenied) sink_.Denied(letter);
    return;
  }
  std::string vendor;
  std::string model;
  std::string bus;
  media.QueryStorageProperties(vendor, model, bus);  // a drive without a descriptor is listed without its names
  media.Close();
  AddDeviceRow(Format(" %c:\\\t%s\t%s %s", letter, Cut(volume), Cut(vendor), Cut(model)), letter);
}

void PopulateDevices::MarkDisksOf(char letter) {
  std::vector<std::string> targets;
  if (!drives_.DriveTargets(letter, targets)) {
    TraceMessage("Targets of %c: unknown", letter);
    return;
  }
  for (const std::string& target : targets) {
    uint32_t bit = 0;
    if (StartsWith(target, kDiskTarget, sizeof kDiskTarget - 1) &&
        DiskBit(target, sizeof kDiskTarget - 1, false, bit)) {
      disksWithLetters_ |= bit;
    } else if (StartsWith(target, kVolumeTarget, sizeof kVolumeTarget - 1)) {
      std::vector<uint32_t> disks;
      if (!drives_.DiskNumbersOfVolume(letter, disks)) {
        TraceMessage("Disks of the volume %s unknown", target);
        continue;
      }
      for (uint32_t disk : disks) disksWithLetters_ |= 1u << (disk % 32);
    }
  }
}

void PopulateDevices::ProbePhysicalDisks(Media& media) {
  std::vector<std::string> names;
  if (!drives_.DeviceNames(names)) {
    TraceMessage("Device names unavailable");
    return;
  }
  for (const std::string& name : names) {
    if (stopRequested()) return;
    uint32_t bit = 0;
    if (!StartsWith(name, kPhysicalDrive, sizeof kPhysicalDrive - 1) ||
        !DiskBit(name, sizeof kPhysicalDrive - 1, true, bit) || (disksWithLetters_ & bit) != 0)
      continue;
    if (!media.OpenDevice(name, true)) continue;
    std::string vendor;
    std::string model;
    std::string bus;
    bool described = media.QueryStorageProperties(vendor, model, bus);
    media.Close();
    if (described && (bus == "USB" || bus == "FireWire"))
      AddDeviceRow(Format(" %s\t%s %s", name, Cut(vendor), Cut(model)), DeviceListSink::kPhysicalDisk);
  }
}

// The first device row replaces the searching row.
void PopulateDevices::AddDeviceRow(const std::string& text, int32_t item) {
  if (!anyDeviceRow_) sink_.Clear();
  anyDeviceRow_ = true;
  sink_.Add(text, item);
}
