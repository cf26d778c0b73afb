// The dialog's controls after creation: the normalised layout, the
// information text with its links, and the styling of every control.
#include "Dialog.h"

#include <richedit.h>

#include <cstring>
#include <vector>

#include "Context.h"
#include "ControlStyle.h"
#include "LayoutScale.h"
#include "Palette.h"
#include "Texts.h"

namespace {

RECT RectInDialog(HWND control, HWND dialog, bool client) {
  RECT rect = {};
  if (client) {
    GetClientRect(control, &rect);
    MapWindowPoints(control, dialog, reinterpret_cast<POINT*>(&rect), 2);
  } else {
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  }
  return rect;
}

struct ChildVisit {
  HWND dialog;
  std::vector<HWND> children;
};

// Only the dialog's own controls: the children of a control (a list view's
// header, a combo box's edit field) are laid out by that control.
BOOL CALLBACK CollectChild(HWND child, LPARAM visit) {
  auto* collected = reinterpret_cast<ChildVisit*>(visit);
  if (GetParent(child) == collected->dialog) collected->children.push_back(child);
  return TRUE;
}

}  // namespace

bool Dialog::InitControls(unsigned informationTextId) {
  if (window_ == nullptr) return false;
  RECT units = {0, 0, 100, 100};
  if (MapDialogRect(window_, &units)) {
    scaleX_ = HorizontalScale(units.right);
    scaleY_ = VerticalScale(units.bottom);
  }
  if (!wizardStep_) ScaleDialogSize();
  if (GetDlgItem(window_, kInformationText) != nullptr) SetInformationText(informationTextId);

  ChildVisit visit = {window_, {}};
  EnumChildWindows(window_, &CollectChild, reinterpret_cast<LPARAM>(&visit));
  for (HWND child : visit.children) SetUpControl(child);
  return true;
}

// A step gets its size from the main window; any other dialog grows or
// shrinks with its controls, so that none of them lies outside it.
void Dialog::ScaleDialogSize() {
  if (scaleX_ == 100 && scaleY_ == 100) return;
  RECT client = {};
  GetClientRect(window_, &client);
  RECT outer = ScaledRect(client, scaleX_, scaleY_);
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_STYLE));
  const DWORD extended = static_cast<DWORD>(GetWindowLongPtrA(window_, GWL_EXSTYLE));
  if (!AdjustWindowRectEx(&outer, style, FALSE, extended)) return;
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Bold italic Comic Sans on the panel, with clickable web addresses.
void Dialog::SetInformationText(unsigned textId) {
  HWND text = GetDlgItem(window_, kInformationText);
  SendMessageA(text, EM_SETBKGNDCOLOR, 0, Palette::kPanelColour);
  SendMessageA(text, EM_AUTOURLDETECT, TRUE, 0);
  const LRESULT events = SendMessageA(text, EM_GETEVENTMASK, 0, 0);
  SendMessageA(text, EM_SETEVENTMASK, 0, events | ENM_LINK);
  SetWindowTextA(text, LoadText(textId, TheContext().WebsiteText.c_str()).c_str());

  CHARFORMAT2A format = {};
  format.cbSize = sizeof format;
  format.dwMask = CFM_BOLD | CFM_ITALIC | CFM_SIZE | CFM_FACE | CFM_COLOR | CFM_BACKCOLOR;
  format.dwEffects = CFE_BOLD | CFE_ITALIC;
  format.yHeight = 11 * 20;  // twips
  format.crTextColor = Palette::kTextColour;
  format.crBackColor = Palette::kPanelColour;
  std::strcpy(format.szFaceName, "Comic Sans MS");
  SendMessageA(text, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
}

void Dialog::SetUpControl(HWND control) {
  const RECT client = ScaledRect(RectInDialog(control, window_, true), scaleX_, scaleY_);
  if (scaleX_ != 100 || scaleY_ != 100) {
    const RECT scaled = ScaledRect(RectInDialog(control, window_, false), scaleX_, scaleY_);
    // Exactly the scaled rectangle: the control's frame is made around it.
    MoveWindow(control, scaled.left, scaled.top, scaled.right - scaled.left, scaled.bottom - scaled.top, TRUE);
  }
  if (!(GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE)) return;
  StyleControl(*this, control, client);
}

void Dialog::EnableBitmapButton(int controlId, bool enabled, HBITMAP enabledImage, HBITMAP disabledImage) {
  HWND button = GetDlgItem(window_, controlId);
  EnableWindow(button, enabled ? TRUE : FALSE);
  SendMessageA(button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(enabled ? enabledImage : disabledImage));
}
