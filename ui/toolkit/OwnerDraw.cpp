#include "OwnerDraw.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Bitmaps.h"
#include "Context.h"
#include "Dialog.h"
#include "ListBoxLines.h"
#include "Palette.h"
#include "RectHighlight.h"
#include "Window.h"

namespace {

const COLORREF kGrey = RGB(128, 128, 128);
const COLORREF kBlue = RGB(0, 0, 255);
// The list whose second column starts further right.
const int kWideColumnList = 1001;
// Header texts are read up to this length.
const int kHeaderTextLimit = 50;

const Palette& Colours() { return TheContext().mainWindow->Colours(); }

LONG_PTR StyleOf(HWND control) { return GetWindowLongPtrA(control, GWL_STYLE); }

HFONT ItemFont(HWND dialog, HWND control) {
  if (control != nullptr && (StyleOf(control) & WS_TABSTOP)) return Colours().UiFont();
  auto* font = static_cast<HFONT>(GetPropA(dialog, Dialog::kFontProperty));
  return font != nullptr ? font : Colours().UiFont();
}

// Selects a font into a device context for the life of the object.
class FontInUse {
 public:
  FontInUse(HDC dc, HFONT font) : dc_(dc), previous_(SelectObject(dc, font)) {}
  ~FontInUse() { SelectObject(dc_, previous_); }
  FontInUse(const FontInUse&) = delete;
  FontInUse& operator=(const FontInUse&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

BOOL DrawListItem(HWND dialog, const DRAWITEMSTRUCT& item) {
  HWND list = item.hwndItem;
  HDC dc = item.hDC;
  FontInUse font(dc, ItemFont(dialog, list));
  const HBRUSH panel = Colours().PanelBrush();
  // The first item repaints the whole list, so no old rows stay below the last.
  if ((item.itemAction & ODA_DRAWENTIRE) && item.itemID == static_cast<UINT>(SendMessageA(list, LB_GETTOPINDEX, 0, 0))) {
    RECT client = {};
    GetClientRect(list, &client);
    FillRect(dc, &client, panel);
  }
  FillRect(dc, &item.rcItem, panel);
  const std::string text = ListBoxLine(list, item.itemID);
  const bool selected = (item.itemState & ODS_SELECTED) && (StyleOf(list) & WS_TABSTOP);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, selected ? kBlue : Palette::kPanelColour);
  SetTextColor(dc, selected ? Palette::kPanelColour : Palette::kTextColour);

  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  const int average = metrics.tmAveCharWidth;
  int stops[4] = {5 * average, 10 * average, 15 * average, 20 * average};
  if (GetDlgCtrlID(list) == kWideColumnList) stops[1] = 20 * average;
  const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - metrics.tmHeight) / 2;
  const LONG extent = TabbedTextOutA(dc, item.rcItem.left + 2, top, text.c_str(), static_cast<int>(text.size()), 4,
                                     stops, item.rcItem.left);
  const WPARAM width = LOWORD(extent) + 5;
  if (static_cast<WPARAM>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0)) < width)
    SendMessageA(list, LB_SETHORIZONTALEXTENT, width, 0);
  return TRUE;
}

// A DIB pixel is 0x00RRGGBB, a COLORREF 0x00BBGGRR.
uint32_t PixelOf(COLORREF colour) { return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour); }

// The image with every pixel that is not (nearly) the panel colour in grey.
void DrawGreyedImage(HDC dc, int x, int y, HBITMAP image, SIZE size) {
  BITMAPINFO info = TopDown32(size.cx, size.cy);
  std::vector<uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);
  HDC screen = GetDC(nullptr);
  const int rows = GetDIBits(screen, image, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != size.cy) return;
  const uint32_t panel = PixelOf(Palette::kPanelColour) & 0xF0F0F0;
  for (uint32_t& pixel : pixels)
    if ((pixel & 0xF0F0F0) != panel) pixel = PixelOf(kGrey);
  SetDIBitsToDevice(dc, x, y, size.cx, size.cy, 0, 0, 0, size.cy, pixels.data(), &info, DIB_RGB_COLORS);
}

void DrawButtonImage(HDC dc, const RECT& rect, HWND button, bool pressed, bool disabled) {
  auto image = reinterpret_cast<HBITMAP>(SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
  const SIZE size = BitmapSize(image);
  if (size.cx <= 0 || size.cy <= 0) return;
  const int offset = pressed ? 1 : 0;
  const int x = rect.left + (rect.right - rect.left - size.cx) / 2 + offset;
  const int y = rect.top + (rect.bottom - rect.top - size.cy) / 2 + offset;
  if (disabled) {
    DrawGreyedImage(dc, x, y, image, size);
    return;
  }
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  HGDIOBJ previous = SelectObject(memory, image);
  BitBlt(dc, x, y, size.cx, size.cy, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
}

void DrawButtonText(HDC dc, const RECT& rect, HWND button, bool disabled) {
  char text[256] = {};
  GetWindowTextA(button, text, sizeof text);
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, Palette::kPanelColour);
  SetTextColor(dc, disabled ? kGrey : Palette::kTextColour);
  RECT area = rect;
  if (!(StyleOf(button) & BS_MULTILINE)) {
    DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    return;
  }
  // Word-wrapped, the wrapped block centred in the button.
  RECT block = rect;
  const int height = DrawTextA(dc, text, -1, &block, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  area.top = rect.top + (rect.bottom - rect.top - height) / 2;
  area.bottom = area.top + height;
  DrawTextA(dc, text, -1, &area, DT_CENTER | DT_WORDBREAK);
}

BOOL DrawButton(const Dialog& dialog, HWND dialogWindow, const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  HWND button = item.hwndItem;
  FontInUse font(dc, ItemFont(dialogWindow, button));
  const RECT& rect = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
  FillRect(dc, &rect, Colours().PanelBrush());
  if (StyleOf(button) & BS_BITMAP) {
    DrawButtonImage(dc, rect, button, pressed, disabled);
  } else {
    DrawButtonText(dc, rect, button, disabled);
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = rect;
    InflateRect(&focus, -5, -5);
    DrawFocusRect(dc, &focus);
  }
  if (pressed) {
    DrawTwoToneEdge(dc, rect, dialog.DarkPen(), dialog.LightPen());
  } else {
    DrawTwoToneEdge(dc, rect, dialog.LightPen(), dialog.DarkPen());
  }
  return TRUE;
}

BOOL DrawHeaderItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  HWND header = item.hwndItem;
  auto* ownFont = static_cast<HFONT>(GetPropA(header, Dialog::kFontProperty));
  FontInUse font(dc, ownFont != nullptr ? ownFont : Colours().UiFont());
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &item.rcItem, selected ? Colours().BlueBrush() : Colours().PanelBrush());
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, selected ? kBlue : Palette::kPanelColour);
  SetTextColor(dc, selected ? Palette::kPanelColour : Palette::kTextColour);

  char text[kHeaderTextLimit + 1] = {};
  HDITEMA column = {};
  column.mask = HDI_TEXT;
  column.pszText = text;
  column.cchTextMax = sizeof text;
  SendMessageA(header, HDM_GETITEMA, item.itemID, reinterpret_cast<LPARAM>(&column));
  RECT area = item.rcItem;
  DrawTextA(dc, text, -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  return TRUE;
}

}  // namespace

void MeasureOwnerItem(HWND dialog, MEASUREITEMSTRUCT& measure) {
  if (measure.CtlType == ODT_MENU || TheContext().mainWindow == nullptr) return;
  HWND control = GetDlgItem(dialog, static_cast<int>(measure.CtlID));
  HDC dc = GetDC(dialog);
  if (dc == nullptr) return;
  {
    FontInUse font(dc, ItemFont(dialog, control));
    TEXTMETRICA metrics = {};
    if (GetTextMetricsA(dc, &metrics)) measure.itemHeight = static_cast<UINT>(metrics.tmHeight);
  }
  ReleaseDC(dialog, dc);
}

BOOL DrawOwnerItem(const Dialog& dialog, HWND dialogWindow, const DRAWITEMSTRUCT& item) {
  if (TheContext().mainWindow == nullptr) return FALSE;
  switch (item.CtlType) {
    case ODT_LISTBOX:
      return DrawListItem(dialogWindow, item);
    case ODT_BUTTON:
      return DrawButton(dialog, dialogWindow, item);
    case ODT_HEADER:
      return DrawHeaderItem(item);
    default:
      return FALSE;
  }
}
