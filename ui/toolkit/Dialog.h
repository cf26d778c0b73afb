// The base of every dialog window: binds an object to a dialog made from a
// template of the language module, routes its messages to HandleMessage and
// gives it the program's look (layout scale, fonts, frames, owner drawing),
// tooltips, an information text with links, a progress bar with its line and
// a status line that worker threads may update.
//
// Failures are return values: Create and InitControls return false, RunModal
// returns -1, the tooltip operations return false. Once the window has been
// closed the status and progress operations do nothing, so that a worker
// that outlives the window does no harm.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Format.h"
#include "RectHighlight.h"

class Dialog {
 public:
  // Any thread may send it: wParam a control window, lParam a show command
  // (0 disables and hides the control).
  static constexpr UINT kShowControlMessage = 2024;

  // Controls that the base knows in every template.
  static constexpr int kProgressBar = 200;
  static constexpr int kInformationText = 1000;
  static constexpr int kStatusLine = 1004;
  static constexpr int kProgressLine = 1023;
  static constexpr int kAnimation = 1024;

  // The window properties of dialogs and their controls.
  static const char kObjectProperty[];  // the Dialog object, on the dialog
  static const char kFrameProperty[];   // the RectHighlight of a control
  static const char kFontProperty[];    // the font an owner set for its lists

  Dialog(HWND parent, WORD templateId);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Modeless, on the calling thread; the window becomes the main window's
  // current dialog.
  virtual bool Create();
  // Returns the end code, or -1 when the dialog could not be made.
  virtual INT_PTR RunModal();
  virtual void Close();
  virtual void Show();
  virtual INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Lays out every control as if 100 dialog units were 150 by 163 pixels,
  // fills the information text (the text's argument is the web address) and
  // styles every control. False without a window.
  bool InitControls(unsigned informationTextId);

  // The text of textId formatted with the values; with an id of 0 the first
  // value is the finished text. An empty text hides the status line.
  template <typename... Args>
  void SetStatusText(unsigned textId, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    SetStatusLine(LineText(textId, list, sizeof...(Args)));
  }
  template <typename... Args>
  void SetProgressText(unsigned textId, const Args&... args) {
    const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
    SetProgressLine(LineText(textId, list, sizeof...(Args)));
  }
  // total counts as 100 percent; showPercent appends kTextPercentage to the line.
  void SetProgressRange(uint32_t total, bool showPercent);
  void SetProgress(uint32_t value);

  // Tooltips of wizard steps; a second text for a control replaces the first.
  bool SetToolTip(int controlId, const std::string& text);
  bool SetToolTipById(int controlId, unsigned textId);

  // For a side dialog's WM_ERASEBKGND: a box of its own has nothing behind
  // it to show through, so it paints the panel where steps stay hollow.
  // False without a main window (the message then goes on as usual).
  static bool ErasePanelBackground(HWND window, HDC dc);

  // The main window's wait cursor on behalf of this dialog; whatever the
  // dialog still holds is released when it goes.
  void SetBusy(bool busy);

  // A bitmap of the executable whose RGB(192,192,192) shows the panel colour;
  // null on failure; the caller owns it.
  static HBITMAP LoadPanelBitmap(int bitmapId);
  // Enables or disables a bitmap button and shows the image for that state.
  void EnableBitmapButton(int controlId, bool enabled, HBITMAP enabledImage, HBITMAP disabledImage);

  HWND Handle() const { return window_; }
  bool IsClosed() const { return closed_; }
  bool IsChildOfCurrentStep() const { return childOfCurrentStep_; }
  int ScaleX() const { return scaleX_; }
  int ScaleY() const { return scaleY_; }
  HWND ToolTipWindow() const { return toolTip_; }
  HPEN LightPen() const { return lightPen_; }
  HPEN DarkPen() const { return darkPen_; }
  // The frames of the dialog's controls; the dialog owns them.
  void AddFrame(std::unique_ptr<RectHighlight> frame) { frames_.push_back(std::move(frame)); }

 protected:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HWND parent_ = nullptr;
  HWND toolTip_ = nullptr;
  WORD templateId_ = 0;
  HPEN lightPen_ = nullptr;
  HPEN darkPen_ = nullptr;
  std::vector<std::unique_ptr<RectHighlight>> frames_;
  std::string captionText_;
  int scaleX_ = 100;
  int scaleY_ = 100;
  // Set by a derived class whose template has animation 1024 and bar 200.
  bool animated_ = false;
  uint32_t progressTotal_ = 0;
  uint32_t progressPercent_ = 0;
  // Read by worker threads.
  std::atomic<bool> closed_{false};
  bool showPercent_ = false;
  bool childOfCurrentStep_ = false;
  // Fills the information text in its own look; the text's argument is the
  // web address.
  void SetInformationText(unsigned textId);

  // Set by the four step classes before they create their window.
  bool wizardStep_ = false;
  int busyHolds_ = 0;

 private:
  static std::string LineText(unsigned textId, const FormatArg* args, std::size_t count);
  void SetStatusLine(const std::string& text);
  void SetProgressLine(const std::string& text);
  std::string WithPercentage(const std::string& text) const;
  void ShowControl(int controlId, int command);
  void OnDestroy(HWND window);
  INT_PTR OnInitDialog(HWND window);
  void OnLink(const NMHDR* header);
  void ScaleDialogSize();
  void SetUpControl(HWND control);
};
