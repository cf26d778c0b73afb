// Step 1 of the wizard: the list of cards and drives that the enumeration
// fills on its worker, with a last row that opens a card image file; Next
// opens the chosen source as the program's current sector source and moves
// on to step 2.
//
// The list is always one complete, current list: a refresh that arrives
// while an enumeration runs (a device change, a click) waits until it has
// ended, and the user-interface thread never blocks on the worker, which
// sends it every row. A step closed during an enumeration returns at once;
// the worker stops by itself.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "Dialog.h"

class ListBoxDeviceSink;
class PopulateDevices;

class SelDevice : public Dialog {
 public:
  static constexpr WORD kTemplate = 133;
  static constexpr int kDeviceList = 1001;
  static constexpr int kNext = 1002;
  static constexpr int kRefresh = 1003;
  // Sent by the enumeration when it has listed everything; lParam 1 when
  // nothing was found.
  static constexpr int kEnumerationDone = 4001;
  // Row item values besides drive letters ('A'..'Z') and information rows (0).
  static constexpr int32_t kImageFileRow = -1;  // the step's own last row
  static constexpr int32_t kPhysicalDiskRow = -2;

  explicit SelDevice(HWND mainWindow);
  ~SelDevice() override;

  bool Create() override;
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Whether an enumeration is running, and how many have been started.
  bool Enumerating() const { return enumeration_ != nullptr; }
  int EnumerationsStarted() const { return enumerationsStarted_; }

 private:
  void StartEnumeration();
  void EnumerationEnded();
  void OnCommand(int command, int code, LPARAM lParam);
  void OnSelectionChange();
  void ExplainDenied(uint32_t deniedLetters);
  void OnNext();
  void OnRefresh();
  bool ChooseImageFile();
  bool OpenRow(int32_t item, int index);
  void OpenFailed(int32_t item, const std::string& diskName);
  void ShowNext(bool enabled);
  std::string DiskNameOfRow(int index) const;

  HBITMAP next_ = nullptr;
  HBITMAP nextDisabled_ = nullptr;
  HBITMAP refresh_ = nullptr;
  std::unique_ptr<ListBoxDeviceSink> sink_;
  std::unique_ptr<PopulateDevices> enumeration_;
  bool refreshWaiting_ = false;
  int enumerationsStarted_ = 0;
};
