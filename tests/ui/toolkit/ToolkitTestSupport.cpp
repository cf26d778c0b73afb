#include "ToolkitTestSupport.h"

#include <commctrl.h>

#include "Context.h"
#include "ShellTestSupport.h"
#include "TextIds.h"

TestDialog::~TestDialog() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

bool TestDialog::CreateOnly() {
  wizardStep_ = step_;
  // The templates are the suite's own resources; every text still comes from
  // the language module.
  void* language = TheContext().LanguageModule;
  TheContext().LanguageModule = GetModuleHandleA(nullptr);
  const bool made = Dialog::Create();
  TheContext().LanguageModule = language;
  return made;
}

bool TestDialog::Create() { return CreateOnly() && InitControls(kTextStep1Information); }

INT_PTR TestDialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++paints;
  return Dialog::HandleMessage(window, message, wParam, lParam);
}

void MainWindowStage::SetUp() {
  PrepareForTheMainWindow();
  window_.reset(new Window);
  ASSERT_TRUE(window_->CreateMainWindow());
  // The suite's own dialogs take the place of the wizard's first step.
  window_->CloseStep();
}

void MainWindowStage::TearDown() {
  step_.reset();
  window_.reset();
  // The main window's end posts the quit message: it must not end the modal
  // loop of a later test.
  PumpFor(0);
  DeleteKey(HKEY_CURRENT_USER, kUserKey);
}

TestDialog& MainWindowStage::OpenStep() {
  step_.reset(new TestDialog(window_->Handle(), IDD_EVERY_CONTROL, true));
  EXPECT_TRUE(step_->Create());
  step_->Show();
  UpdateWindow(window_->Handle());
  UpdateWindow(step_->Handle());
  return *step_;
}

RECT RectInParent(HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
