// Step 1's list of the cards and USB or FireWire disks to recover from,
// filled on a worker thread.
//
// The run clears the sink and shows the searching row; then probes each drive
// letter from C: (A: with accessFloppy) to Z:, listing the removable ones
// (and those without a root folder, as a reader with an unformatted card
// answers) that open, with their volume name and the device's vendor and
// model; then lists the PhysicalDrives on a USB or FireWire bus whose disk
// has no drive letter of a removable or fixed drive, so that a card is not
// listed twice. When nothing is listed, the nothing-found row replaces the
// searching row. The run never shows a window.
//
// A stop request ends the run before its next probe, without the
// nothing-found row; Finished still comes, always as the last call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "Device.h"
#include "DeviceListSink.h"
#include "DriveSet.h"
#include "Thread.h"

class Media;

class PopulateDevices : public Thread {
 public:
  // A volume name, vendor or model is cut to this many characters in a row.
  static constexpr std::size_t kLongestRowField = 64;

  // accessFloppy: the scan starts at A: instead of C: (the caller reads the
  // setting). devices: where the probing Media opens (default the platform's).
  PopulateDevices(DeviceListSink& sink, bool accessFloppy, DriveSet& drives = PlatformDriveSet(),
                  DeviceOpener* devices = nullptr);
  ~PopulateDevices() override;

  uint32_t run(void*) override;  // returns 0

 private:
  void ProbeLetter(Media& media, char letter);
  void ListDrive(Media& media, char letter, const std::string& root);
  void MarkDisksOf(char letter);
  void ProbePhysicalDisks(Media& media);
  void AddDeviceRow(const std::string& text, int32_t item);

  DeviceListSink& sink_;
  const bool accessFloppy_;
  DriveSet& drives_;
  DeviceOpener* const devices_;
  // Bit n mod 32: disk n holds a volume with a drive letter.
  uint32_t disksWithLetters_ = 0;
  bool anyDeviceRow_ = false;
};
