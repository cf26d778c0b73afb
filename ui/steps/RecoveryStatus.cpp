#include "RecoveryStatus.h"

#include <commctrl.h>

#include <memory>

#include "Clipboard.h"
#include "Context.h"
#include "ListBoxLines.h"
#include "ListBoxStatusList.h"
#include "Palette.h"
#include "Recovery.h"
#include "ResourceIds.h"
#include "Steps.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"
#include "Utilities.h"
#include "Window.h"

namespace {

constexpr int kShowStep2 = 2002;
constexpr int kShowStep4 = 2004;
constexpr COLORREF kBarColour = RGB(0, 0xC0, 0);
constexpr std::size_t kMenuTextLimit = 50;
// A run reports a line per finding; far more than any card gives, and still
// a clipboard text that any program takes.
constexpr std::size_t kLargestCopy = 32u << 20;

}  // namespace

RecoveryStatus::RecoveryStatus(HWND mainWindow) : Dialog(mainWindow, kTemplate) {}

RecoveryStatus::~RecoveryStatus() {
  Close();
  if (menu_ != nullptr) DestroyMenu(menu_);
  for (HBITMAP bitmap : {next_, nextDisabled_, back_})
    if (bitmap != nullptr) DeleteObject(bitmap);
  if (listFont_ != nullptr) DeleteObject(listFont_);
}

bool RecoveryStatus::Create() {
  wizardStep_ = true;
  listFont_ = CreateFontA(-9, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, "Arial");
  menu_ = CreatePopupMenu();
  if (menu_ != nullptr) {
    const std::string item = LoadText(kTextCopyListMenuItem).substr(0, kMenuTextLimit);
    AppendMenuA(menu_, MF_STRING, kCopyList, item.c_str());
  }
  if (!Dialog::Create()) return false;
  next_ = LoadPanelBitmap(IDB_NEXT);
  nextDisabled_ = LoadPanelBitmap(IDB_NEXT_DISABLED);
  back_ = LoadPanelBitmap(IDB_BACK);
  ShowNext(false);
  SendDlgItemMessageA(window_, kBack, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(back_));
  InitControls(kTextStep3Information);
  HWND bar = GetDlgItem(window_, kProgressBar);
  SendMessageA(bar, PBM_SETRANGE32, 0, 100);
  SendMessageA(bar, PBM_SETBARCOLOR, 0, kBarColour);
  SendMessageA(bar, PBM_SETBKCOLOR, 0, Palette::kPanelColour);
  SetToolTipById(kNext, kTextNextTip);
  SetToolTipById(kBack, kTextBackTip);
  SetToolTipById(kStatusList, kTextStatusListTip);
  // The run starts only now, so that its first line finds the list.
  Recovery* recovery = TheContext().CurrentRecovery;
  if (recovery != nullptr && !recovery->isFinished()) {
    recovery->setStatusList(std::make_unique<ListBoxStatusList>(GetDlgItem(window_, kStatusList)));
    recovery->startEvent.set();
  }
  Show();
  SetBusy(true);
  busy_ = true;
  return true;
}

INT_PTR RecoveryStatus::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetPropA(window, kFontProperty, listFont_);
      SetTimer(window, kProgressTimer, kProgressPeriodMs, nullptr);
      break;
    case WM_TIMER:
      if (wParam == kProgressTimer) OnTimer();
      break;
    case WM_CONTEXTMENU:
      OnContextMenu(reinterpret_cast<HWND>(wParam), lParam);
      break;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_DESTROY:
      KillTimer(window, kProgressTimer);
      RemovePropA(window, kFontProperty);
      break;
    default:
      break;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}

void RecoveryStatus::OnTimer() {
  Recovery* recovery = TheContext().CurrentRecovery;
  if (recovery == nullptr) return;
  // A medium too small to search has no sectors to count, and its run is
  // done all the same.
  const bool finished = recovery->isFinished();
  SendDlgItemMessageA(window_, kProgressBar, PBM_SETPOS, finished ? 100 : recovery->progressPercent(), 0);
  if (finishedShown_ || !finished) return;
  finishedShown_ = true;
  ReleaseBusy();
  ShowNext(true);
  HWND information = GetDlgItem(window_, kInformationText);
  if (information != nullptr) {
    EnableWindow(information, TRUE);
    SetInformationText(kTextSearchFinished);
  }
}

// From the keyboard (Shift+F10) the menu opens over the list.
void RecoveryStatus::OnContextMenu(HWND control, LPARAM position) {
  HWND list = GetDlgItem(window_, kStatusList);
  if (control != list || menu_ == nullptr) return;
  POINT at = {static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  if (position == -1) {
    RECT box = {};
    GetWindowRect(list, &box);
    at = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  }
  const UINT flags = TPM_CENTERALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY;
  if (TrackPopupMenu(menu_, flags, at.x, at.y, 0, window_, nullptr) == kCopyList) CopyListToClipboard();
}

std::string RecoveryStatus::ListText() const {
  std::string text = TimestampText();
  if (text.empty() || text.back() != '\n') text += "\r\n";
  for (const std::string& line : ListBoxLines(GetDlgItem(window_, kStatusList), kLargestCopy)) {
    text += line;
    text += "\r\n";
  }
  return text;
}

bool RecoveryStatus::CopyListToClipboard() const {
  const bool copied = CopyTextToClipboard(static_cast<HWND>(TheContext().mainWindowHandle), ListText());
  if (!copied) TraceMessage("The list could not be put on the clipboard");
  return copied;
}

void RecoveryStatus::OnCommand(int command) {
  switch (command) {
    case kNext:
      if (!finishedShown_) return;
      Window::PlayClick(Window::kClickSound);
      PostMessageA(parent_, WM_COMMAND, kShowStep4, 0);
      Close();
      break;
    case kBack:
      Window::PlayClick(Window::kClickSound);
      AbandonRun();
      PostMessageA(parent_, WM_COMMAND, kShowStep2, 0);
      Close();
      break;
    default:
      break;
  }
}

// The worker is asked to stop and waited for while its sent lines are still
// served; only then does it go, with nothing it reads gone before it.
void RecoveryStatus::AbandonRun() {
  DiscardCurrentRecovery();
  ReleaseBusy();
}

void RecoveryStatus::ReleaseBusy() {
  if (!busy_) return;
  busy_ = false;
  SetBusy(false);
}

void RecoveryStatus::ShowNext(bool enabled) { EnableBitmapButton(kNext, enabled, next_, nextDisabled_); }
