// The picture library: decodes one picture held in memory (JPEG, BMP, GIF,
// PNG, TIFF, and the JPEG preview inside a camera's raw file) into a 32-bit
// bitmap of its own, upright as the camera's orientation tag says, and draws
// it scaled into a rectangle of a device context.
//
// The data is untrusted: a load never throws or faults; it returns false and
// leaves an error code and text. Code 99 (kRelatedFile) is given only when
// the related-file option is set and the data is a video whose picture lives
// in a file beside it; the error text then names that file in the padded 8.3
// form "NNNNNNNN.EEE". The caller may free its buffer as soon as LoadPicture
// returns. One thread only; no messages are pumped.
#pragma once

#include <windows.h>

#include <cstdint>

#ifdef PICTUREPANE_BUILD
#define PICTUREPANE_API __declspec(dllexport)
#else
#define PICTUREPANE_API __declspec(dllimport)
#endif

class PICTUREPANE_API PicturePane {
 public:
  // Error codes after a failed load (an enumeration, so that the values
  // need no storage in the library).
  enum ErrorCodes : uint32_t {
    kNoError = 0,
    kNoData = 1,        // no bytes, or more than the pane takes
    kNotAPicture = 2,   // no decoder knows the data
    kUnreadable = 3,    // a decoder knows it but cannot read it
    kSizeRefused = 4,   // 0 or over 65535 pixels, or too many pixels
    kNoResources = 5,   // COM, the imaging factory or memory failed
    kRelatedFile = 99,  // the picture is in the file the error text names
  };

  PicturePane();
  ~PicturePane();
  PicturePane(const PicturePane&) = delete;
  PicturePane& operator=(const PicturePane&) = delete;

  // Replaces any earlier picture. flag is accepted for the callers' sake
  // and changes nothing.
  bool LoadPicture(const void* data, uint32_t length, bool flag);
  // Draws the source rectangle of the picture (in picture pixels; a width
  // or height of -1 means to the picture's edge) into the target
  // rectangle, halftone-scaled, touching nothing outside it. False with no
  // picture or an empty rectangle.
  bool Display(HDC dc, int x, int y, int width, int height, int sourceX, int sourceY, int sourceWidth,
               int sourceHeight) const;

  uint16_t Width() const { return width_; }
  uint16_t Height() const { return height_; }
  uint32_t ErrorCode() const { return errorCode_; }
  const char* ErrorText() const { return errorText_; }
  // 1 lets a load answer kRelatedFile; 0 (at construction) never.
  void SetRelatedFileOption(uint8_t option) { relatedFileOption_ = option; }
  uint8_t RelatedFileOption() const { return relatedFileOption_; }

 private:
  bool Fail(uint32_t code, const char* text);
  void Release();

  // A 32-bit top-down section, possibly smaller than width_ x height_: a
  // large photo is kept scaled down.
  HBITMAP bitmap_ = nullptr;
  uint16_t storedWidth_ = 0;
  uint16_t storedHeight_ = 0;
  uint16_t width_ = 0;
  uint16_t height_ = 0;
  uint32_t errorCode_ = kNoError;
  char errorText_[64] = {};
  uint8_t relatedFileOption_ = 0;
};
