// Step 2 of the wizard: how the search goes (deleted entries, the sector
// search, partly overwritten files) and which kinds of files it looks for;
// the sector viewer and saving an image of the card. Next makes the
// recovery worker with these options and moves on to step 3. Made anew each
// time the step shows, so its options start from the defaults.
#pragma once

#include <windows.h>

#include "Dialog.h"
#include "RecoveryOptions.h"

class RecoveryParms : public Dialog {
 public:
  static constexpr WORD kTemplate = 134;
  static constexpr int kNext = 1005;
  static constexpr int kBack = 1006;
  static constexpr int kDeleted = 1007;
  static constexpr int kIntensive = 1008;  // three states: empty auto, ticked force, grey suppress
  static constexpr int kPartial = 1009;
  static constexpr int kJpeg = 1010;
  static constexpr int kVideo = 1011;
  static constexpr int kAvi = 1012;
  static constexpr int kMp3 = 1013;
  static constexpr int kOthers = 1015;
  static constexpr int kTiff = 1037;
  static constexpr int kViewSectors = 1016;
  static constexpr int kSaveImage = 1038;

  explicit RecoveryParms(HWND mainWindow);
  ~RecoveryParms() override;

  bool Create() override;
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // The options as the boxes show them now.
  RecoveryOptions OptionsShown() const;
  // While an image is being saved, the step's commands are held off: nothing
  // else may read the card meanwhile.
  bool Saving() const { return saving_; }

 private:
  void ShowOptions(const RecoveryOptions& options);
  void OnCommand(int command);
  void StartRun();
  void ViewSectors();
  void SaveImage();
  bool Ticked(int id) const;

  HBITMAP next_ = nullptr;
  HBITMAP back_ = nullptr;
  bool saving_ = false;
};
