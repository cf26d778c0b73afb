#include "About.h"

#include "Context.h"
#include "OwnResources.h"
#include "Palette.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Window.h"

namespace {

const int kIconSize = 48;

}  // namespace

About::About(HWND owner) : Dialog(owner, kTemplate) {}

About::~About() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  if (icon_ != nullptr) DestroyIcon(icon_);
}

// The template holds the layout; what only the running program knows (its
// version, its icon, the web address) is filled in here.
void About::OnInitDialog(HWND window) {
  SetWindowTextA(window, LoadText(kTextAboutTitle).c_str());
  SetDlgItemTextA(window, kVersionLine, LoadText(kTextAboutVersion, ProductVersionText(nullptr)).c_str());
  InitControls(kTextAboutInformation);
  Window* main = TheContext().mainWindow;
  if (main != nullptr) {
    SendDlgItemMessageA(window, kProductName, WM_SETFONT, reinterpret_cast<WPARAM>(main->Colours().TitleFont()),
                        TRUE);
    main->CenterOverMain(window);
  }
  icon_ = static_cast<HICON>(
      LoadImageA(OwnInstance(), MAKEINTRESOURCEA(IDI_VANTREL), IMAGE_ICON, kIconSize, kIconSize, 0));
  if (icon_ != nullptr) SendDlgItemMessageA(window, kIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
}

INT_PTR About::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(window);
      break;
    case WM_ERASEBKGND:
      if (!ErasePanelBackground(window, reinterpret_cast<HDC>(wParam))) break;
      return TRUE;
    default:
      break;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}
