// The program's one top-level window: frameless, 700 by 500 pixels, painted
// by itself (curved lower corners, gradient, logo, banner, product name and
// three caption buttons), with the title line of the current wizard step. It
// runs the message loop, answers help requests, tells the current step when
// a device arrives or leaves, and owns the drawing resources and the services
// that every dialog uses (Palette, PumpMessages, PlaceStepDialog, ...).
//
// Reached through TheContext().mainWindow; TheContext().mainWindowHandle is
// its window handle while the window exists.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "BoundedText.h"
#include "MessagePump.h"
#include "Palette.h"
#include "TextControl.h"
#include "WindowLayout.h"
#include "WindowPainter.h"

class Dialog;

class Window : public MessagePump {
 public:
  static constexpr int kWidth = 700;
  static constexpr int kHeight = 500;
  // The id of the click sound in the executable's resources.
  static constexpr int kClickSound = 147;
  // Sent to the current dialog when devices have come or gone.
  static constexpr int kDevicesChangedCommand = 1003;

  // Everything that does not need the window: settings, class, drawing
  // resources, pictures, menu.
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Creates and shows the window with the title of step 1.
  bool CreateMainWindow();
  // The main message loop, until WM_QUIT.
  void Run();

  HWND Handle() const { return window_; }
  const WindowLayout& Layout() const { return layout_; }
  int StepNumber() const { return stepNumber_; }
  const TextControl& TitleLine() const { return titleLine_; }

  // Services for the dialogs and long operations on the user-interface thread.
  const Palette& Colours() const { return palette_; }
  // Handles every queued message without waiting.
  void PumpMessages() override;
  // Puts a step dialog into the main window below the banner.
  void PlaceStepDialog(HWND dialog) const;
  // Centres a side dialog on the main window, kept on the desktop.
  void CenterOverMain(HWND dialog) const;
  // Nested busy periods: the wait cursor shows while any is open.
  void SetBusy(bool busy);
  int BusyCount() const { return busyCount_; }
  // Plays a sound of the executable asynchronously; 0 stops any sound.
  static void PlayClick(int soundId);
  HWND CurrentDialog() const { return currentDialog_; }
  void SetCurrentDialog(HWND dialog) { currentDialog_ = dialog; }
  void ClearCurrentDialog() { currentDialog_ = nullptr; }

  // The wizard step shown now, null before the window is made.
  Dialog* CurrentStep() const { return currentStep_.get(); }
  // Closes the step shown now, for a dialog of the caller's own in its
  // place (the toolkit's suites).
  void CloseStep();
  // A loop of its own runs on the user-interface thread (a modal dialog, a
  // long operation that pumps messages): a step switch asked for meanwhile
  // would destroy the step under that loop, so it waits until the last such
  // loop has returned.
  void EnterNestedLoop() { ++nestedLoops_; }
  void LeaveNestedLoop();
  int NestedLoops() const { return nestedLoops_; }
  // The window was asked to close during a nested loop: a long operation
  // ends early, and the close follows once the loop has returned.
  // It stays true once asked: a close waiting for a loop that pumps messages
  // now and then is posted again after each of them.
  bool CloseRequested() const { return pendingClose_ || closeAsked_; }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCreate(HWND window);
  void OnPaint();
  void OnLeftButtonDown(POINT point);
  LRESULT OnControlColour(UINT message, HDC dc, HWND control);
  void OnCommand(int command);
  void OnClose();
  void OnDestroy();
  void ShowHelpContext();
  // The switch for commands 2001 to 2004; false when refused.
  bool ShowStep(int step);
  bool StepPossible(int step) const;
  void LoadLogo(const std::string& logoFile);
  void BuildMenu();
  void DispatchFully(MSG& message);

  HWND window_ = nullptr;
  TextControl titleLine_;
  BoundedText<99> className_;
  Palette palette_;
  WindowPictures pictures_;
  HMENU menu_ = nullptr;
  HACCEL accelerators_ = nullptr;
  WindowLayout layout_;
  HWND currentDialog_ = nullptr;
  int busyCount_ = 0;
  HCURSOR busyCursor_ = nullptr;
  int stepNumber_ = 1;
  std::unique_ptr<Dialog> currentStep_;
  int nestedLoops_ = 0;
  int pendingStep_ = 0;  // a step asked for during a nested loop
  bool pendingClose_ = false;
  bool closeAsked_ = false;
};

// Marks a nested loop for as long as it lives.
class NestedLoop {
 public:
  NestedLoop();
  ~NestedLoop();
  NestedLoop(const NestedLoop&) = delete;
  NestedLoop& operator=(const NestedLoop&) = delete;
};
