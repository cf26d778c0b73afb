// The stage of the step suites: the program's main window on the display,
// made as start-up makes it, with step 1 in it, and a way to answer the
// modal dialogs a step opens (they run their own loop on this thread).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "Window.h"

class StepStage : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Window& Main() { return *window_; }
  // The step dialog shown now, or null.
  HWND StepWindow() const;
  HWND Control(int id) const { return GetDlgItem(StepWindow(), id); }
  // Sends the command a control sends when it is clicked (or, for the list,
  // the selection change of a row).
  void Click(int id);
  void SelectRow(int row);
  int RowCount() const;
  std::string RowText(int row) const;

  std::unique_ptr<Window> window_;
};

// Answers the next top-level dialog of this thread whose title is title,
// from inside its modal loop: answer gets its window, once, within the
// time; false when none came.
bool AnswerDialogWhileItRuns(const char* title, const std::function<void(HWND)>& answer,
                             const std::function<void()>& opener, DWORD milliseconds);
