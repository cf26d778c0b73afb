// The dialog's status line, progress bar and progress line, and its
// tooltips. The status and progress operations may run on a worker thread:
// they reach the window only through sent messages.
#include "Dialog.h"

#include <commctrl.h>

#include "Context.h"
#include "TextIds.h"
#include "TextSource.h"
#include "Texts.h"

namespace {

// Status and progress templates are read up to this length.
const std::size_t kLineTemplateLimit = 300;
const COLORREF kBarColour = RGB(0, 192, 0);

}  // namespace

std::string Dialog::LineText(unsigned textId, const FormatArg* args, std::size_t count) {
  if (textId == 0) {
    const char* text = count > 0 ? args[0].text() : nullptr;
    return text != nullptr ? text : "";
  }
  std::string pattern;
  LookupText(textId, kLineTemplateLimit, pattern);
  return FormatText(pattern.c_str(), args, count);
}

std::string Dialog::WithPercentage(const std::string& text) const {
  return showPercent_ ? text + LoadText(kTextPercentage, progressPercent_) : text;
}

void Dialog::ShowControl(int controlId, int command) {
  HWND window = window_;
  if (window == nullptr) return;
  SendMessageA(window, kShowControlMessage, reinterpret_cast<WPARAM>(GetDlgItem(window, controlId)), command);
}

void Dialog::SetStatusLine(const std::string& text) {
  HWND window = window_;
  if (closed_ || window == nullptr) return;
  captionText_ = text;
  HWND line = GetDlgItem(window, kStatusLine);
  if (line == nullptr) return;
  if (!text.empty()) {
    SetWindowTextA(line, text.c_str());
    ShowWindow(line, SW_SHOW);
    return;
  }
  ShowWindow(line, SW_HIDE);
  // The dialog paints no background: the main window's shows through.
  HWND main = static_cast<HWND>(TheContext().mainWindowHandle);
  RECT area = {};
  if (main == nullptr || !GetWindowRect(line, &area)) return;
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&area), 2);
  InvalidateRect(main, &area, TRUE);
}

void Dialog::SetProgressLine(const std::string& text) {
  HWND window = window_;
  if (closed_ || window == nullptr) return;
  captionText_ = text;
  SetDlgItemTextA(window, kProgressLine, WithPercentage(text).c_str());
}

void Dialog::SetProgressRange(uint32_t total, bool showPercent) {
  progressTotal_ = total;
  progressPercent_ = 0;
  showPercent_ = showPercent;
  if (closed_ || window_ == nullptr) return;
  if (animated_) ShowControl(kProgressBar, SW_SHOW);
  SendDlgItemMessageA(window_, kProgressBar, PBM_SETBARCOLOR, 0, kBarColour);
}

void Dialog::SetProgress(uint32_t value) {
  HWND window = window_;
  if (closed_ || window == nullptr || progressTotal_ == 0) return;
  progressPercent_ = static_cast<uint32_t>(static_cast<uint64_t>(value) * 100 / progressTotal_);
  SendDlgItemMessageA(window, kProgressBar, PBM_SETPOS, progressPercent_, 0);
  ShowControl(kProgressBar, SW_SHOW);
  if (!captionText_.empty() && showPercent_)
    SetDlgItemTextA(window, kProgressLine, WithPercentage(captionText_).c_str());
}

bool Dialog::SetToolTip(int controlId, const std::string& text) {
  HWND control = window_ != nullptr ? GetDlgItem(window_, controlId) : nullptr;
  if (toolTip_ == nullptr || control == nullptr) return false;
  TOOLINFOA tool = {};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.uFlags = TTF_IDISHWND;
  // Without a buffer the query copies no text; the tooltip keeps its own copy.
  if (SendMessageA(toolTip_, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool))) {
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(toolTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    return true;
  }
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hinst = static_cast<HINSTANCE>(TheContext().LanguageModule);
  tool.lpszText = const_cast<char*>(text.c_str());
  return SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

bool Dialog::SetToolTipById(int controlId, unsigned textId) { return SetToolTip(controlId, LoadText(textId)); }
