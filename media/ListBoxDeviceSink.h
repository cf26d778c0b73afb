// Step 1's list box as the sink of the device enumeration (Windows only).
// Every message is sent, not posted: the worker waits for the user-interface
// thread, so a row is in the list before the next probe starts.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "DeviceListSink.h"

class ListBoxDeviceSink : public DeviceListSink {
 public:
  // The control id of the WM_COMMAND that Finished sends to the list box's
  // parent; its lParam is 1 when nothing was found, else 0.
  static constexpr uint32_t kFinishedCommand = 4001;
  // The item value of the step's own row.
  static constexpr int32_t kOwnRow = -1;

  // listBox is the list box's window handle (HWND); ownRow the step's own row
  // ("Open a card image file..."), kept as the last row of the list.
  ListBoxDeviceSink(void* listBox, std::string ownRow);

  // Empties the list but for the step's own row.
  void Clear() override;
  // Inserts the row before the step's own row.
  void Add(const std::string& text, int32_t item) override;
  void Denied(char letter) override;
  void Finished(bool nothingFound) override;

  // From now on every call does nothing, so that a step being destroyed can
  // let a running worker finish without it touching the step's windows.
  void Detach() { detached_.store(true); }

  // Bit letter - 'A': the drives that Windows did not let the enumeration
  // open, for the step to explain once the run has finished.
  uint32_t deniedLetters() const { return denied_.load(); }

 private:
  void AddOwnRow();

  void* listBox_;
  std::string ownRow_;
  std::atomic<bool> detached_{false};
  std::atomic<uint32_t> denied_{0};
};
