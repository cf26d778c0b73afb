// The about box: a modal dialog (template 103) that says what Vantrel is,
// which version runs and where help is found on the web.
#pragma once

#include <windows.h>

#include "Dialog.h"

class About : public Dialog {
 public:
  static constexpr WORD kTemplate = 103;
  // Controls of the template besides the information text.
  static constexpr int kVersionLine = 1010;
  static constexpr int kIcon = 1011;
  static constexpr int kProductName = 1012;

  // owner: the current step dialog, or the main window while there is none.
  explicit About(HWND owner);
  ~About() override;

  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnInitDialog(HWND window);

  HICON icon_ = nullptr;
};
