#include "TextControl.h"

#include "CRegistry.h"
#include "Context.h"
#include "Texts.h"

std::string ExpandMacro(const std::string& text, const std::string& website) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&' || i + 1 == text.size()) {
      result += text[i];
    } else if (text[i + 1] == 'w') {
      result += website;
      ++i;
    } else {
      result += text.substr(i, 2);
      ++i;
    }
  }
  return result;
}

std::string ExpandWebsiteMacro(const std::string& text) {
  CRegistry machineWide;
  std::string website;
  if (machineWide.OpenAppKey((std::string(".") + TheContext().AppName.c_str()).c_str()))
    website = machineWide.ReadString("Website", "");
  return ExpandMacro(text, website);
}

TextControl::~TextControl() {
  if (innerWindow_ != nullptr && IsWindow(innerWindow_)) DestroyWindow(innerWindow_);
  innerWindow_ = nullptr;
}

HWND TextControl::CreateText(int x, int y, int width, int height, bool isStatic) {
  static_ = isStatic;
  if (withFrame_) CreateFrame(x, y, width, height);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_GROUP;
  if (isStatic) {
    if (centred_) style |= SS_CENTER;
  } else {
    style |= WS_TABSTOP | ES_AUTOHSCROLL;
    if (centred_) style |= ES_CENTER;
  }
  HWND window = CreateWindowExA(0, isStatic ? "STATIC" : "EDIT", "", style, x, y, width, height,
                                static_cast<HWND>(TheContext().mainWindowHandle), nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  if (window == nullptr) return nullptr;
  innerWindow_ = window;
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  previousTextProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TextControl::TextProcedure)));
  if (font_ != nullptr) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (!text_.empty()) SetWindowTextA(window, text_.c_str());
  return window;
}

void TextControl::SetTextById(unsigned textId, bool centred) {
  text_ = ExpandWebsiteMacro(LoadText(textId));
  if (centred != centred_ && innerWindow_ != nullptr) {
    // SS_CENTER and ES_CENTER are the same bit.
    LONG_PTR style = GetWindowLongPtrA(innerWindow_, GWL_STYLE);
    SetWindowLongPtrA(innerWindow_, GWL_STYLE, centred ? (style | SS_CENTER) : (style & ~SS_CENTER));
  }
  centred_ = centred;
  if (innerWindow_ != nullptr) SetWindowTextA(innerWindow_, text_.c_str());
}

LRESULT CALLBACK TextControl::TextProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<TextControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr || self->previousTextProcedure_ == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(self->previousTextProcedure_, window, message, wParam, lParam);
}
