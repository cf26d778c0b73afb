// Where the device enumeration of step 1 (PopulateDevices) puts its rows: the
// step's list box on Windows (ListBoxDeviceSink), a recording list in tests.
// Every call comes from the enumeration's worker thread.
#pragma once

#include <cstdint>
#include <string>

class DeviceListSink {
 public:
  // The item values of a row.
  static constexpr int32_t kInformationRow = 0;  // a text to read, nothing to choose
  static constexpr int32_t kPhysicalDisk = -2;   // the row names a PhysicalDrive
  // A drive's row has its letter, 'A'..'Z', as item value.

  virtual ~DeviceListSink() = default;

  virtual void Clear() = 0;
  virtual void Add(const std::string& text, int32_t item) = 0;
  // A drive that Windows did not let the enumeration open (error 5): it gets
  // no row, and nothing is shown from the worker. Ignored unless a sink cares.
  virtual void Denied(char /*letter*/) {}
  // The worker's last contact: nothingFound when no device row was added.
  virtual void Finished(bool nothingFound) = 0;
};
