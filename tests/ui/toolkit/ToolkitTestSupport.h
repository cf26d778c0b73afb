// The toolkit suite's stage: the real main window of the program on the
// display, and a test dialog made from the suite's own templates.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "Dialog.h"
#include "ToolkitTemplates.h"
#include "Window.h"

// A dialog of the suite's templates. As a step it sits in the main window
// and has tooltips; it counts its paints.
class TestDialog : public Dialog {
 public:
  TestDialog(HWND parent, WORD templateId, bool step) : Dialog(parent, templateId), step_(step) {}
  ~TestDialog() override;

  // Creates the window without laying out or styling its controls.
  bool CreateOnly();
  // CreateOnly, then InitControls with the information text of step 1.
  bool Create() override;
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  void SetAnimated(bool animated) { animated_ = animated; }
  int paints = 0;

 private:
  bool step_;
};

class MainWindowStage : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The step dialog with every styled control, created and shown.
  TestDialog& OpenStep();
  HWND Control(int id) const { return GetDlgItem(step_->Handle(), id); }
  Window& Main() { return *window_; }

  std::unique_ptr<Window> window_;
  std::unique_ptr<TestDialog> step_;
};

// Where a control lies in its dialog's client area.
RECT RectInParent(HWND control);
