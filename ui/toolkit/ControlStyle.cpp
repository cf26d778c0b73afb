#include "ControlStyle.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <memory>

#include "Context.h"
#include "Dialog.h"
#include "Palette.h"
#include "RectHighlight.h"
#include "Window.h"

namespace {

enum class ControlClass { kEdit, kStatic, kListBox, kProgress, kListView, kRichEdit, kOther };

ControlClass ClassOf(HWND control) {
  char name[33] = {};
  GetClassNameA(control, name, sizeof name);
  static const struct {
    const char* name;
    ControlClass kind;
  } kClasses[] = {
      {"Edit", ControlClass::kEdit},          {"Static", ControlClass::kStatic},
      {"ListBox", ControlClass::kListBox},    {"msctls_progress32", ControlClass::kProgress},
      {"SysListView32", ControlClass::kListView}, {"RichEdit20A", ControlClass::kRichEdit},
  };
  for (const auto& known : kClasses)
    if (lstrcmpiA(name, known.name) == 0) return known.kind;
  return ControlClass::kOther;
}

bool IsFramed(ControlClass kind) {
  return kind == ControlClass::kEdit || kind == ControlClass::kListBox || kind == ControlClass::kProgress ||
         kind == ControlClass::kListView || kind == ControlClass::kRichEdit;
}

LONG_PTR StyleOf(HWND control) { return GetWindowLongPtrA(control, GWL_STYLE); }

void SetControlFont(HWND control, ControlClass kind, const Palette& palette) {
  if (kind == ControlClass::kRichEdit) return;
  const bool readOnlyEdit = kind == ControlClass::kEdit && (StyleOf(control) & ES_READONLY);
  HFONT font = readOnlyEdit ? palette.DecorativeFont() : palette.UiFont();
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

// A sunken edge: dark top and left, light bottom and right.
void FrameInputControl(Dialog& dialog, HWND control, const RECT& client) {
  std::unique_ptr<RectHighlight> frame(new RectHighlight);
  frame->SetParent(dialog.Handle());
  frame->SwapPens();
  if (frame->CreateFrame(client.left, client.top, client.right - client.left, client.bottom - client.top) ==
      nullptr)
    return;
  SetPropA(control, Dialog::kFrameProperty, frame.get());
  dialog.AddFrame(std::move(frame));
}

void MakePanel(Dialog& dialog, HWND control) {
  std::unique_ptr<RectHighlight> panel(new RectHighlight);
  panel->SetFill(true);
  panel->SwapPens();
  panel->AttachFrame(control);
  dialog.AddFrame(std::move(panel));
}

// The header of a list view in the program's colours (version 6 controls).
LRESULT HeaderCustomDraw(NMCUSTOMDRAW& draw) {
  if (draw.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.dwDrawStage == CDDS_ITEMPREPAINT && TheContext().mainWindow != nullptr) {
    SelectObject(draw.hdc, TheContext().mainWindow->Colours().UiFont());
    const bool selected = (draw.uItemState & CDIS_SELECTED) != 0;
    SetTextColor(draw.hdc, selected ? RGB(255, 255, 255) : Palette::kTextColour);
    SetBkColor(draw.hdc, selected ? RGB(0, 0, 255) : Palette::kPanelColour);
  }
  return CDRF_NOTIFYITEMDRAW | CDRF_NEWFONT;
}

LRESULT CALLBACK ListViewProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (previous == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      auto* frame = static_cast<RectHighlight*>(GetPropA(window, Dialog::kFrameProperty));
      RECT rect = {};
      if (frame != nullptr && GetWindowRect(window, &rect)) frame->TrackRect(rect);
      break;
    }
    case WM_DRAWITEM:
      return SendMessageA(GetParent(window), message, wParam, lParam);
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (TheContext().vistaOrLater && header->code == static_cast<UINT>(NM_CUSTOMDRAW) && header->idFrom == 0)
        return HeaderCustomDraw(*reinterpret_cast<NMCUSTOMDRAW*>(lParam));
      break;
    }
    default:
      break;
  }
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

void SubclassListView(HWND control) {
  LONG_PTR previous = GetWindowLongPtrA(control, GWLP_WNDPROC);
  SetWindowLongPtrA(control, GWLP_USERDATA, previous);
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewProcedure));
}

}  // namespace

void StyleControl(Dialog& dialog, HWND control, const RECT& client) {
  if (TheContext().mainWindow == nullptr) return;
  const ControlClass kind = ClassOf(control);
  SetControlFont(control, kind, TheContext().mainWindow->Colours());
  if (IsFramed(kind)) FrameInputControl(dialog, control, client);
  if (kind == ControlClass::kListView) SubclassListView(control);
  // A themed bar ignores the colours the dialogs give it.
  if (kind == ControlClass::kProgress) SetWindowTheme(control, L"", L"");
  if (kind == ControlClass::kStatic && (StyleOf(control) & SS_TYPEMASK) == SS_GRAYRECT) MakePanel(dialog, control);
}
