// The dialog's life: construction, the shared dialog procedure, creation,
// closing, destruction and the default message handler.
#include "Dialog.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>

#include <vector>

#include "Bitmaps.h"
#include "Context.h"
#include "OwnerDraw.h"
#include "OwnResources.h"
#include "Palette.h"
#include "Window.h"

const char Dialog::kObjectProperty[] = "Object";
const char Dialog::kFrameProperty[] = "Hilite";
const char Dialog::kFontProperty[] = "Font";

namespace {

// The dialog whose template is being made on this thread. A template sends
// messages before WM_INITDIALOG (WM_SETFONT, and WM_MEASUREITEM for lists of
// fixed row height), which the object must already answer.
thread_local Dialog* dialogBeingMade = nullptr;

// Links longer than this are not opened.
const LONG kLongestLink = 2048;

Window* MainWindow() { return TheContext().mainWindow; }

HINSTANCE LanguageModule() { return static_cast<HINSTANCE>(TheContext().LanguageModule); }

bool IsColourOrCursorMessage(UINT message) {
  return message == WM_SETCURSOR || message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX ||
         message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC;
}

}  // namespace

Dialog::Dialog(HWND parent, WORD templateId)
    : parent_(parent),
      templateId_(templateId),
      lightPen_(CreatePen(PS_SOLID, 2, RGB(192, 192, 255))),
      darkPen_(CreatePen(PS_SOLID, 2, RGB(0, 0, 255))) {
  childOfCurrentStep_ = parent != nullptr && MainWindow() != nullptr && MainWindow()->CurrentDialog() == parent;
}

Dialog::~Dialog() {
  while (busyHolds_ > 0) SetBusy(false);
  frames_.clear();
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  window_ = nullptr;
  // A side dialog gives keyboard navigation back to the step that opened it.
  if (childOfCurrentStep_ && MainWindow() != nullptr && IsWindow(parent_)) {
    MainWindow()->SetCurrentDialog(parent_);
    EnableWindow(parent_, TRUE);
    InvalidateRect(parent_, nullptr, TRUE);
  }
  DeleteObject(lightPen_);
  DeleteObject(darkPen_);
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetPropA(window, kObjectProperty, reinterpret_cast<HANDLE>(lParam));
  auto* self = static_cast<Dialog*>(GetPropA(window, kObjectProperty));
  if (self == nullptr && dialogBeingMade != nullptr) {
    self = dialogBeingMade;
    dialogBeingMade = nullptr;
    SetPropA(window, kObjectProperty, self);
  }
  if (self == nullptr) return 0;

  switch (message) {
    case WM_INITDIALOG:
      // A modal dialog's window is known only here.
      if (self->window_ == nullptr) self->window_ = window;
      break;
    case WM_DESTROY:
      self->OnDestroy(window);
      break;
    case WM_CLOSE:
      self->closed_ = true;
      DestroyWindow(window);
      break;
    case kShowControlMessage: {
      HWND control = reinterpret_cast<HWND>(wParam);
      if (lParam == 0) EnableWindow(control, FALSE);
      ShowWindow(control, static_cast<int>(lParam));
      return 0;
    }
    default:
      break;
  }
  return self->HandleMessage(window, message, wParam, lParam);
}

void Dialog::OnDestroy(HWND window) {
  window_ = nullptr;
  closed_ = true;
  if (wizardStep_ && MainWindow() != nullptr && MainWindow()->CurrentDialog() == window)
    MainWindow()->ClearCurrentDialog();
  RemovePropA(window, kObjectProperty);
}

bool Dialog::Create() {
  dialogBeingMade = this;
  HWND window = CreateDialogParamA(LanguageModule(), MAKEINTRESOURCEA(templateId_), parent_, &Dialog::Procedure,
                                   reinterpret_cast<LPARAM>(this));
  dialogBeingMade = nullptr;
  if (window == nullptr) return false;
  window_ = window;
  if (MainWindow() != nullptr) MainWindow()->SetCurrentDialog(window);
  return true;
}

INT_PTR Dialog::RunModal() {
  NestedLoop nested;
  dialogBeingMade = this;
  INT_PTR code = DialogBoxParamA(LanguageModule(), MAKEINTRESOURCEA(templateId_), parent_, &Dialog::Procedure,
                                 reinterpret_cast<LPARAM>(this));
  dialogBeingMade = nullptr;
  return code;
}

bool Dialog::ErasePanelBackground(HWND window, HDC dc) {
  if (MainWindow() == nullptr) return false;
  RECT client = {};
  GetClientRect(window, &client);
  FillRect(dc, &client, MainWindow()->Colours().PanelBrush());
  SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
  return true;
}

void Dialog::SetBusy(bool busy) {
  if (!busy && busyHolds_ == 0) return;
  busyHolds_ += busy ? 1 : -1;
  if (MainWindow() != nullptr) MainWindow()->SetBusy(busy);
}

void Dialog::Close() {
  HWND window = window_;
  window_ = nullptr;
  closed_ = true;
  if (window != nullptr && IsWindow(window)) DestroyWindow(window);
}

void Dialog::Show() {
  if (window_ == nullptr) return;
  ShowWindow(window_, SW_SHOW);
  if (animated_) SendDlgItemMessageA(window_, kAnimation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, -1));
}

INT_PTR Dialog::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsColourOrCursorMessage(message)) {
    // The main window decides colours and cursors for every dialog.
    LRESULT result = SendMessageA(parent_, message, wParam, lParam);
    if (message == WM_SETCURSOR) SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
    return static_cast<INT_PTR>(result);
  }
  switch (message) {
    case WM_DRAWITEM:
      return DrawOwnerItem(*this, window, *reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    case WM_MEASUREITEM:
      MeasureOwnerItem(window, *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_NOTIFY:
      OnLink(reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_INITDIALOG:
      return OnInitDialog(window);
    case WM_COMMAND:
      if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return 0;
      if (wizardStep_) {
        SendMessageA(window, WM_CLOSE, 0, 0);
      } else {
        EndDialog(window, 0);
      }
      return TRUE;
    default:
      return 0;
  }
}

// Steps sit in the main window and carry tooltips; side dialogs keep the
// position of their template.
INT_PTR Dialog::OnInitDialog(HWND window) {
  if (!wizardStep_) return TRUE;
  if (MainWindow() != nullptr) MainWindow()->PlaceStepDialog(window);
  toolTip_ = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr, GetModuleHandleA(nullptr),
                             nullptr);
  if (toolTip_ != nullptr)
    SetWindowPos(toolTip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return TRUE;
}

// A click on a link of the information text opens it in the browser.
void Dialog::OnLink(const NMHDR* header) {
  if (header == nullptr || header->idFrom != kInformationText || header->code != EN_LINK) return;
  const auto* link = reinterpret_cast<const ENLINK*>(header);
  if (link->msg != WM_LBUTTONUP) return;
  const LONG length = link->chrg.cpMax - link->chrg.cpMin;
  if (length <= 0 || length > kLongestLink) return;
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  TEXTRANGEA range = {link->chrg, text.data()};
  if (SendMessageA(header->hwndFrom, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) <= 0) return;
  ShellExecuteA(static_cast<HWND>(TheContext().mainWindowHandle), "open", text.data(), nullptr, nullptr,
                SW_SHOWNORMAL);
}

HBITMAP Dialog::LoadPanelBitmap(int bitmapId) {
  HBITMAP original = LoadBitmapA(OwnInstance(), MAKEINTRESOURCEA(bitmapId));
  if (original == nullptr) return nullptr;
  HBITMAP copy = CopyReplacingColour(original, RGB(192, 192, 192), Palette::kPanelColour);
  DeleteObject(original);
  return copy;
}
