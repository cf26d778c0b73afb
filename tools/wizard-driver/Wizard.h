// One drive through the wizard: the options, the program, its main window,
// and the services the steps share (finding the step shown now, telling
// what went wrong, saving screenshots).
#pragma once

#include <windows.h>

#include <string>

#include "DriverOptions.h"
#include "ProgramProcess.h"

class Wizard {
 public:
  explicit Wizard(const DriverOptions& options) : options_(options) {}

  const DriverOptions& Options() const { return options_; }
  ProgramProcess& Program() { return program_; }
  HWND MainWindow() const { return main_; }
  void SetMainWindow(HWND window) { main_ = window; }
  DWORD StepMs() const;

  // The step dialog shown now, and which step it is (0: none or unknown).
  HWND StepDialog() const;
  // The dialog of that step once it shows, within the time; null if not.
  HWND AwaitStep(int step, DWORD milliseconds) const;
  // A box the program shows over everything (an error, a question), other
  // than skip; null when there is none.
  HWND ProgramBox(HWND skip = nullptr) const;
  // What the program says now: the words of a box it shows, else the
  // step's status line; empty when it says nothing.
  std::string Saying(HWND step, HWND skip = nullptr) const;

  // Saves SHOTS\name.bmp of the main window (and of over) when there is a
  // shot folder; a failure is told on stderr and does not stop the drive.
  void Shot(const char* name, HWND over = nullptr) const;
  // Takes back a shot of a moment that was over before it was taken (a run
  // that ended meanwhile), so that no picture shows what it is not named for.
  void DropShot(const char* name) const;

 private:
  std::string ShotPath(const char* name) const;

  const DriverOptions& options_;
  ProgramProcess program_;
  HWND main_ = nullptr;
};

// Which wizard step dialog is: known by a control only that step has.
int StepOf(HWND dialog);

// Steps 1 to 4; each false with problem set, beginning with the step.
bool StartProgram(Wizard& wizard, std::string& problem);
bool ChooseImage(Wizard& wizard, std::string& problem);
bool KeepDefaults(Wizard& wizard, std::string& problem);
bool AwaitSearch(Wizard& wizard, std::string& problem);
bool CopyEverything(Wizard& wizard, std::string& problem);
