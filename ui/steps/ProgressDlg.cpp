#include "ProgressDlg.h"

#include <commctrl.h>

#include "Context.h"
#include "TextIds.h"
#include "Window.h"

namespace {

constexpr uint64_t kRedrawMilliseconds = 250;
// The bar counts in percent, so that a total past 32 bits still fills it.
constexpr uint32_t kBarRange = 100;

Window* MainWindow() { return TheContext().mainWindow; }

}  // namespace

ProgressDlg::ProgressDlg(HWND owner) : Dialog(owner, kTemplate) {}

ProgressDlg::~ProgressDlg() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  if (ownerDisabled_ && IsWindow(parent_)) EnableWindow(parent_, TRUE);
  nested_.reset();
}

bool ProgressDlg::Create() {
  if (!Dialog::Create()) return false;
  nested_ = std::make_unique<NestedLoop>();
  if (parent_ != nullptr && IsWindowEnabled(parent_)) {
    EnableWindow(parent_, FALSE);
    ownerDisabled_ = true;
  }
  SetProgressRange(kBarRange, false);
  Show();
  SetFocus(GetDlgItem(window_, kCancel));
  return true;
}

void ProgressDlg::Update(uint32_t done, uint64_t total) {
  if (window_ == nullptr || closed_) return;
  const uint64_t now = GetTickCount64();
  const bool last = done >= total;
  if (updated_ && !last && now - lastUpdate_ < kRedrawMilliseconds) return;
  updated_ = true;
  lastUpdate_ = now;
  const uint64_t percent = total == 0 ? 0 : (last ? kBarRange : uint64_t{done} * kBarRange / total);
  SetProgressText(kTextSectorsSaved, done, total);
  SetProgress(static_cast<uint32_t>(percent));
}

INT_PTR ProgressDlg::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      InitControls(0);
      if (MainWindow() != nullptr) MainWindow()->CenterOverMain(window);
      return FALSE;
    case WM_ERASEBKGND:
      if (!ErasePanelBackground(window, reinterpret_cast<HDC>(wParam))) break;
      return TRUE;
    case WM_CLOSE:
      // The base has already destroyed the window.
      cancelled_ = true;
      return TRUE;
    case WM_COMMAND:
      // Esc, Enter and the button: a modeless window would only hide at
      // EndDialog, and the save would go on.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        Window::PlayClick(Window::kClickSound);
        cancelled_ = true;
        Close();
        return TRUE;
      }
      return 0;
    default:
      break;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}
