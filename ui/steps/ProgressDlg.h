// The progress window of the image save (template 153): a modeless side
// dialog centred on the main window with the line "done of total sectors
// saved", a progress bar, a Cancel button and a close box.
//
// The caller creates it over its step, calls Update and Cancelled in each
// pass of its loop and pumps the main window's messages, and destroys it at
// the end. Esc, Enter, Cancel and the close box all cancel: the window goes
// and Cancelled answers true. Create answering false is a failure of its
// own (no window could be made), never a cancel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "Dialog.h"

class NestedLoop;

class ProgressDlg : public Dialog {
 public:
  static constexpr WORD kTemplate = 153;
  static constexpr int kCancel = IDCANCEL;

  // owner: the step that saves; it is disabled while the window is up.
  explicit ProgressDlg(HWND owner);
  ~ProgressDlg() override;

  // Makes, centres and shows the window; false when it could not be made.
  bool Create() override;
  // Shows done of total; the bar and the line are redrawn at most every
  // quarter second, and always for the first and the last update.
  void Update(uint32_t done, uint64_t total);
  // Whether the user asked to stop.
  bool Cancelled() const { return cancelled_; }

  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  bool cancelled_ = false;
  bool ownerDisabled_ = false;
  bool updated_ = false;
  uint64_t lastUpdate_ = 0;
  // Step switches wait while the caller's loop pumps messages under the window.
  std::unique_ptr<NestedLoop> nested_;
};
