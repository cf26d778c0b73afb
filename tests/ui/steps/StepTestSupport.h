// The stage of the step suites: the program's main window on the display,
// made as start-up makes it, with step 1 in it, and a way to answer the
// modal dialogs a step opens (they run their own loop on this thread).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Window.h"

class StepStage : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  Window& Main() { return *window_; }
  // An image file of sectors, each byte telling its sector and place, opened
  // as the current source, as step 1 opens one; its path.
  std::string OpenImageAsSource(const char* name, uint32_t sectors);
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

// The same for dialogs that come one after the other (a save dialog, then a
// message box); how many of them were answered.
struct DialogAnswer {
  const char* title;
  std::function<void(HWND)> answer;
};
int AnswerDialogsWhileTheyRun(const std::vector<DialogAnswer>& answers, const std::function<void()>& opener,
                              DWORD milliseconds);

// The file name box of the open and save dialogs.
constexpr int kFileNameBox = 0x47C;
// The save dialog, given path and its OK (posted: the dialog may ask a
// question of its own first).
DialogAnswer SaveAs(const std::string& path);
// A message box of the program: its text goes to told, then OK.
DialogAnswer ReadMessage(std::string& told);
