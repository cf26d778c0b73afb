// Step 3 of the wizard: the run, live. It hands the recovery worker that
// step 2 made its list and lets it start, shows the progress and each line
// the run reports, copies the list to the clipboard from its context menu,
// and enables Next once the run has finished. Back abandons the run.
#pragma once

#include <windows.h>

#include <string>

#include "Dialog.h"

class RecoveryStatus : public Dialog {
 public:
  static constexpr WORD kTemplate = 137;
  static constexpr int kStatusList = 1018;
  static constexpr int kNext = 1005;
  static constexpr int kBack = 1006;
  static constexpr int kCopyList = 1001;  // the context menu's item
  static constexpr UINT_PTR kProgressTimer = 1;
  static constexpr UINT kProgressPeriodMs = 50;

  explicit RecoveryStatus(HWND mainWindow);
  ~RecoveryStatus() override;

  bool Create() override;
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The header and every line of the list as it stands now, each line ended
  // by CRLF: what the context menu's item puts on the clipboard.
  std::string ListText() const;
  bool CopyListToClipboard() const;
  // True once the run has finished and the step has said so.
  bool ShowsFinished() const { return finishedShown_; }

 private:
  void OnTimer();
  void OnContextMenu(HWND control, LPARAM position);
  void OnCommand(int command);
  void AbandonRun();
  void ReleaseBusy();
  void ShowNext(bool enabled);

  HFONT listFont_ = nullptr;
  HMENU menu_ = nullptr;
  HBITMAP next_ = nullptr;
  HBITMAP nextDisabled_ = nullptr;
  HBITMAP back_ = nullptr;
  bool busy_ = false;
  bool finishedShown_ = false;
};
