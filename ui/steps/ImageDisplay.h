// The picture preview (template 102): a modal side dialog that shows one
// recovered picture as large as the work area allows, centred on the main
// window, and closes on a click or Esc.
//
// The window's client area is the picture plus a border of kBorder pixels
// on every side, and the whole window, frame included, fits the work area:
// a larger picture is shrunk with its proportions kept. LoadPictureData
// returns false when the picture cannot be decoded (the window must then not
// be shown); RunModal returns -1 when the window could not be made. The data
// buffer may be freed as soon as LoadPictureData has returned.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "Dialog.h"

class PicturePane;

// The client size and window size that show a picture in the work area.
struct PreviewLayout {
  int displayWidth = 0;
  int displayHeight = 0;
  int windowWidth = 0;
  int windowHeight = 0;
};

class ImageDisplay : public Dialog {
 public:
  static constexpr WORD kTemplate = 102;
  static constexpr int kBorder = 2;
  static constexpr int kSmallestWidth = 100;
  static constexpr int kSmallestHeight = 50;

  // parent: the step that opens it.
  explicit ImageDisplay(HWND parent);
  ~ImageDisplay() override;

  bool LoadPictureData(const void* data, uint32_t length);
  INT_PTR HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // work: the work area's size; frame: what the window's frame and caption
  // add to its client area. A picture of zero size gives the smallest window.
  static PreviewLayout FitToWorkArea(uint32_t pictureWidth, uint32_t pictureHeight, SIZE work, SIZE frame);

  uint32_t PictureWidth() const { return pictureWidth_; }
  uint32_t PictureHeight() const { return pictureHeight_; }
  int DisplayWidth() const { return displayWidth_; }
  int DisplayHeight() const { return displayHeight_; }

 private:
  void OnInitDialog(HWND window);
  void Paint(HWND window);
  void CloseByUser(HWND window);

  std::unique_ptr<PicturePane> pane_;
  uint32_t pictureWidth_ = 0;
  uint32_t pictureHeight_ = 0;
  int displayWidth_ = 0;
  int displayHeight_ = 0;
};
