// The preview area of the copy step: a static control whose painting it
// takes over, and the picture it shows. It loads a found file's picture,
// following a video to the picture file beside it (a camera's .THM) at most
// once, and draws it centred, shrunk with its proportions kept where it is
// larger than the frame.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

class File;
class Media;
class PicturePane;

class PictureFrame {
 public:
  // Previews and views read files of at most this size whole into memory.
  static constexpr uint64_t kLargestPicture = 0xA00000;

  PictureFrame();
  ~PictureFrame();
  PictureFrame(const PictureFrame&) = delete;
  PictureFrame& operator=(const PictureFrame&) = delete;

  // Takes over the painting of control; false without one.
  bool Attach(HWND control);
  HWND Control() const { return control_; }

  // Loads the picture of record, or of the file it names as holding its
  // picture (kept in the record's stepText). False when neither can be read
  // or decoded; the frame then shows no picture.
  bool Load(File& record, Media& media);
  void Release();
  const PicturePane* Picture() const { return picture_.get(); }

  // Where a picture of width x height goes in a frame of frameWidth x
  // frameHeight: unscaled and centred when it is smaller, else as large as
  // fits, centred. An empty rectangle for a picture or frame of no size.
  static RECT Placement(int frameWidth, int frameHeight, int width, int height);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HWND window);
  bool LoadData(const File& source, Media& media, bool related);

  HWND control_ = nullptr;
  WNDPROC previous_ = nullptr;
  std::unique_ptr<PicturePane> picture_;
};

// The whole data of record, in memory of its own; null when it is larger
// than PictureFrame::kLargestPicture, when the memory cannot be had or when
// a read fails.
std::unique_ptr<uint8_t[]> ReadPictureData(const File& record, Media& media);
