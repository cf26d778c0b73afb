// The sector viewer (template 136): a modal side dialog over the current
// sector source that shows one sector as 16-byte rows of hex and text, with
// the sector number to type, a scroll bar and Page Down / Page Up for the
// next and previous sector, and Ctrl+C or the copy button to put the shown
// sector on the clipboard as text.
//
// The viewer shows its own copy of the last sector that was read: a read
// that fails leaves the number, the rows and what Copy copies as they were,
// and a sector size changed since cannot make it read past what it holds.
// Failures are return values: Show returns -1 when the dialog could not be
// made, CopySector false when nothing went to the clipboard.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "Dialog.h"

class DisplaySectors : public Dialog {
 public:
  static constexpr WORD kTemplate = 136;
  static constexpr int kRowList = 1042;
  static constexpr int kSectorNumber = 1043;
  static constexpr int kScrollBar = 1044;
  static constexpr int kErrorLine = Dialog::kStatusLine;
  static constexpr int kCopy = 769;

  // parent: the step that opens it.
  explicit DisplaySectors(HWND parent);
  ~DisplaySectors() override;

  // Runs the viewer at startSector (the last sector when it lies past it)
  // until the user closes it; the dialog's end code, or -1.
  INT_PTR Show(uint32_t startSector);

  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  uint32_t CurrentSector() const { return current_; }
  // The bytes shown; empty until a sector has been read.
  const std::vector<uint8_t>& ShownBytes() const { return shown_; }

 private:
  static LRESULT CALLBACK KeyFilter(int code, WPARAM wParam, LPARAM lParam);
  bool FilterKey(const MSG& message);
  void OnInitDialog(HWND window);
  void FitToRows(HWND window);
  bool ShowSector(uint32_t sector);
  void Step(int direction);
  void OnScroll(int request);
  void TakeTypedNumber();
  void RejectTypedNumber();
  bool CopySector();
  void ShowNumber();
  void SayError(const std::string& text);
  BOOL DrawRow(const DRAWITEMSTRUCT& item);
  uint64_t Reachable() const;

  HFONT font_ = nullptr;
  int rowHeight_ = 15;
  int charWidth_ = 9;
  uint32_t current_ = 0;
  std::vector<uint8_t> shown_;
};
