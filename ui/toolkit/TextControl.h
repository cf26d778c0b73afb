// A free-standing line of text on the main window: a static text or a
// one-line edit field, with an optional frame around it (RectHighlight).
// Its text comes from the language module by id, with "&w" standing for the
// machine-wide "Website" setting.
#pragma once

#include <windows.h>

#include <string>

#include "RectHighlight.h"

// Copies text with every "&w" replaced by website; "&" and any other
// character are copied as a pair, and a final "&" stays as it is.
std::string ExpandMacro(const std::string& text, const std::string& website);

// ExpandMacro with the "Website" value of the machine-wide settings key.
std::string ExpandWebsiteMacro(const std::string& text);

class TextControl : public RectHighlight {
 public:
  TextControl() = default;
  ~TextControl() override;

  // Makes the text window (a static text when isStatic, else an edit field)
  // at (x, y, width, height) of the main window, with its frame when wanted.
  HWND CreateText(int x, int y, int width, int height, bool isStatic);
  void SetTextById(unsigned textId, bool centred);

  void SetFont(HFONT font) { font_ = font; }
  void SetWithFrame(bool withFrame) { withFrame_ = withFrame; }
  HWND TextWindow() const { return innerWindow_; }
  const std::string& Text() const { return text_; }
  bool Centred() const { return centred_; }

 private:
  static LRESULT CALLBACK TextProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HFONT font_ = nullptr;
  WNDPROC previousTextProcedure_ = nullptr;
  bool withFrame_ = true;
  bool static_ = true;
  bool centred_ = false;
  std::string text_;
};
