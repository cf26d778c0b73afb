#include "DisplaySectors.h"

#include <algorithm>
#include <string>

#include "Clipboard.h"
#include "Context.h"
#include "Media.h"
#include "OwnResources.h"
#include "RectHighlight.h"
#include "SectorDump.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Utilities.h"
#include "Window.h"

namespace {

// One viewer runs at a time: the keyboard filter of its modal loop finds it here.
DisplaySectors* activeViewer = nullptr;
HHOOK keyFilter = nullptr;

constexpr char kCtrlC = 3;

Window* MainWindow() { return TheContext().mainWindow; }
Media* CurrentMedia() { return TheContext().CurrentMedia; }

int Height(const RECT& rect) { return rect.bottom - rect.top; }
int Width(const RECT& rect) { return rect.right - rect.left; }

RECT ChildRect(HWND window, int id) {
  RECT rect = {};
  HWND child = GetDlgItem(window, id);
  if (child == nullptr || !GetWindowRect(child, &rect)) return rect;
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// Moves the windows that lie below the list box (controls and the frame
// windows of the inputs among them) down with its lower edge.
struct Shift {
  int below;
  int dy;
};
BOOL CALLBACK MoveBelow(HWND child, LPARAM parameter) {
  const auto* shift = reinterpret_cast<const Shift*>(parameter);
  HWND dialog = GetParent(child);
  RECT rect = {};
  if (dialog == nullptr || !GetWindowRect(child, &rect)) return TRUE;
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  if (rect.top < shift->below) return TRUE;
  SetWindowPos(child, nullptr, rect.left, rect.top + shift->dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

}  // namespace

DisplaySectors::DisplaySectors(HWND parent) : Dialog(parent, kTemplate) {
  font_ = CreateFontA(-15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Lucida Console");
  HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (screen == nullptr) return;
  HGDIOBJ old = SelectObject(screen, font_ != nullptr ? static_cast<HGDIOBJ>(font_) : GetStockObject(ANSI_FIXED_FONT));
  TEXTMETRICA metrics = {};
  if (GetTextMetricsA(screen, &metrics)) {
    rowHeight_ = metrics.tmHeight;
    charWidth_ = metrics.tmAveCharWidth;
  }
  SelectObject(screen, old);
  DeleteDC(screen);
}

DisplaySectors::~DisplaySectors() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  if (font_ != nullptr) DeleteObject(font_);
}

INT_PTR DisplaySectors::Show(uint32_t startSector) {
  const uint64_t reachable = Reachable();
  current_ = reachable == 0 ? 0 : static_cast<uint32_t>(std::min<uint64_t>(startSector, reachable - 1));
  shown_.clear();
  // Without the filter the shortcuts are gone but the buttons still work.
  if (activeViewer == nullptr) {
    keyFilter = SetWindowsHookExA(WH_MSGFILTER, &DisplaySectors::KeyFilter, nullptr, GetCurrentThreadId());
    if (keyFilter != nullptr) activeViewer = this;
  }
  const INT_PTR code = RunModal();
  if (activeViewer == this) {
    UnhookWindowsHookEx(keyFilter);
    keyFilter = nullptr;
    activeViewer = nullptr;
  }
  return code;
}

uint64_t DisplaySectors::Reachable() const {
  const Media* media = CurrentMedia();
  return media == nullptr || media->buffer == nullptr ? 0 : ReachableSectors(media->sectorCount);
}

LRESULT CALLBACK DisplaySectors::KeyFilter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && activeViewer != nullptr && lParam != 0 &&
      activeViewer->FilterKey(*reinterpret_cast<const MSG*>(lParam)))
    return TRUE;
  return CallNextHookEx(keyFilter, code, wParam, lParam);
}

// True when the key was the viewer's. Page Down and Page Up are taken, not
// passed on, so that they do not scroll the rows of the same sector as well.
bool DisplaySectors::FilterKey(const MSG& message) {
  if (window_ == nullptr || (message.hwnd != window_ && !IsChild(window_, message.hwnd))) return false;
  if (message.message == WM_CHAR && message.wParam == static_cast<WPARAM>(kCtrlC)) {
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(kCopy, BN_CLICKED), 0);
    return true;
  }
  if (message.message != WM_KEYDOWN || (message.wParam != VK_NEXT && message.wParam != VK_PRIOR)) return false;
  Step(message.wParam == VK_NEXT ? 1 : -1);
  return true;
}

void DisplaySectors::OnInitDialog(HWND window) {
  window_ = window;
  InitControls(0);
  if (MainWindow() != nullptr) MainWindow()->CenterOverMain(window);
  HICON icon = LoadIconA(OwnInstance(), MAKEINTRESOURCEA(IDI_VANTREL));
  if (icon != nullptr) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (font_ != nullptr)
    SendDlgItemMessageA(window, kRowList, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SendDlgItemMessageA(window, kSectorNumber, EM_LIMITTEXT, 10, 0);
  ShowWindow(GetDlgItem(window, kErrorLine), SW_HIDE);
  if (!ShowSector(current_)) ShowNumber();
  FitToRows(window);
  if (MainWindow() != nullptr) MainWindow()->CenterOverMain(window);
}

// The list is made as wide as a row and as high as the sector's rows, as
// far as the work area allows (the list scrolls beyond that); the controls
// below it move with its lower edge.
void DisplaySectors::FitToRows(HWND window) {
  HWND list = GetDlgItem(window, kRowList);
  HWND bar = GetDlgItem(window, kScrollBar);
  RECT listRect = ChildRect(window, kRowList), client = {}, frame = {}, work = {};
  if (list == nullptr || bar == nullptr || !GetClientRect(list, &client) || !GetWindowRect(window, &frame)) return;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) GetWindowRect(GetDesktopWindow(), &work);
  const int border = Width(listRect) - Width(client);
  const int rows = static_cast<int>(std::max<std::size_t>(DumpRowCount(shown_.size()), 32));
  const int listWidth = static_cast<int>(kDumpRowLength) * charWidth_ + border + 2 * charWidth_ +
                        GetSystemMetrics(SM_CXVSCROLL);
  int listHeight = rows * rowHeight_ + (Height(listRect) - Height(client));
  int grow = listHeight - Height(listRect);
  const int room = Height(work) - Height(frame);
  if (grow > room) {
    grow = room;
    listHeight = Height(listRect) + grow;
  }
  const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
  MoveWindow(list, listRect.left, listRect.top, listWidth, listHeight, TRUE);
  MoveWindow(bar, listRect.left + listWidth + 4, listRect.top, barWidth, listHeight, TRUE);
  Shift shift = {listRect.bottom, grow};
  EnumChildWindows(window, &MoveBelow, reinterpret_cast<LPARAM>(&shift));
  // The list's sunken frame is a window of its own around the old size.
  auto* listFrame = static_cast<RectHighlight*>(GetPropA(list, Dialog::kFrameProperty));
  RECT moved = {};
  if (listFrame != nullptr && listFrame->FrameWindow() != nullptr && GetWindowRect(list, &moved)) {
    listFrame->TrackRect(moved);
    MoveWindow(listFrame->FrameWindow(), listRect.left - 2, listRect.top - 2, listWidth + 4, listHeight + 4, TRUE);
  }
  RECT wanted = {0, 0, listRect.left + listWidth + 4 + barWidth + listRect.left, 0};
  AdjustWindowRectEx(&wanted, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, std::max(Width(wanted), Width(frame)), Height(frame) + grow,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DisplaySectors::ShowSector(uint32_t sector) {
  Media* media = CurrentMedia();
  if (sector >= Reachable() || media == nullptr) {
    SayError(LoadText(kTextSectorNumberTooLarge, Reachable()));
    return false;
  }
  if (!media->ReadSectors(sector, 1)) {
    SayError(SystemMessageText(media->lastError));
    return false;
  }
  const uint32_t size = std::min(media->sectorSize, Media::kLargestSectorSize);
  shown_.assign(media->buffer, media->buffer + size);
  current_ = sector;
  SayError(std::string());

  HWND list = GetDlgItem(window_, kRowList);
  if (list != nullptr) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const std::size_t rows = DumpRowCount(shown_.size());
    for (std::size_t row = 0; row < rows; ++row)
      SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(row * kDumpRowBytes));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  ShowNumber();
  return true;
}

// The number box and the scroll bar always show the sector that is shown.
void DisplaySectors::ShowNumber() {
  SetDlgItemTextA(window_, kSectorNumber, Format("%u", current_).c_str());
  const uint64_t last = Reachable() == 0 ? 0 : Reachable() - 1;
  const int top = static_cast<int>(std::min<uint64_t>(last, INT32_MAX));
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE | SIF_DISABLENOSCROLL;
  info.nMax = top;
  info.nPos = last == 0 ? 0 : static_cast<int>(uint64_t{current_} * static_cast<uint64_t>(top) / last);
  SetScrollInfo(GetDlgItem(window_, kScrollBar), SB_CTL, &info, TRUE);
}

void DisplaySectors::SayError(const std::string& text) {
  SetDlgItemTextA(window_, kErrorLine, text.c_str());
  ShowWindow(GetDlgItem(window_, kErrorLine), text.empty() ? SW_HIDE : SW_SHOW);
  if (!text.empty()) MessageBeep(MB_ICONASTERISK);
}

void DisplaySectors::Step(int direction) {
  if (direction > 0 && uint64_t{current_} + 1 < Reachable()) {
    ShowSector(current_ + 1);
  } else if (direction < 0 && current_ > 0) {
    ShowSector(current_ - 1);
  }
}

void DisplaySectors::OnScroll(int request) {
  switch (request) {
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
      Step(1);
      break;
    case SB_LINEUP:
    case SB_PAGEUP:
      Step(-1);
      break;
    case SB_THUMBPOSITION: {
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_RANGE | SIF_TRACKPOS;
      const uint64_t reachable = Reachable();
      if (reachable == 0 || !GetScrollInfo(GetDlgItem(window_, kScrollBar), SB_CTL, &info) || info.nMax <= 0)
        break;
      const uint64_t target =
          static_cast<uint64_t>(std::max(info.nTrackPos, 0)) * (reachable - 1) / static_cast<uint64_t>(info.nMax);
      if (target != current_) ShowSector(static_cast<uint32_t>(std::min(target, reachable - 1)));
      break;
    }
    default:
      return;
  }
  ShowNumber();
}

void DisplaySectors::TakeTypedNumber() {
  char text[32] = {};
  const int length = GetDlgItemTextA(window_, kSectorNumber, text, sizeof text);
  uint32_t sector = 0;
  const SectorNumberCheck check =
      length < 0 || length >= static_cast<int>(sizeof text) - 1
          ? SectorNumberCheck::kTooLarge
          : ParseSectorNumber(std::string(text, static_cast<std::size_t>(length)), Reachable(), sector);
  if (check != SectorNumberCheck::kGood) {
    RejectTypedNumber();
    return;
  }
  if (sector == current_ && !shown_.empty()) {
    SayError(std::string());
    ShowNumber();
    return;
  }
  // A sector that cannot be read leaves the old one, and its number, shown.
  if (!ShowSector(sector)) ShowNumber();
}

void DisplaySectors::RejectTypedNumber() {
  SayError(LoadText(kTextSectorNumberTooLarge, Reachable()));
  HWND box = GetDlgItem(window_, kSectorNumber);
  SetFocus(box);
  SendMessageA(box, EM_SETSEL, 0, -1);
}

bool DisplaySectors::CopySector() {
  if (shown_.empty()) return false;
  return CopyTextToClipboard(window_, DumpText(TimestampText(), shown_.data(), shown_.size()));
}

BOOL DisplaySectors::DrawRow(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return TRUE;
  const std::size_t offset = static_cast<std::size_t>(item.itemData);
  const std::string row = DumpRow(shown_.data(), shown_.size(), offset);
  HDC dc = item.hDC;
  HGDIOBJ old = SelectObject(dc, font_ != nullptr ? static_cast<HGDIOBJ>(font_) : GetStockObject(ANSI_FIXED_FONT));
  SIZE offsetSize = {};
  GetTextExtentPoint32A(dc, row.c_str(), 4, &offsetSize);
  RECT offsetPart = item.rcItem, rest = item.rcItem;
  offsetPart.right = std::min(item.rcItem.right, item.rcItem.left + 2 + offsetSize.cx + 2);
  rest.left = offsetPart.right;
  FillRect(dc, &offsetPart, GetSysColorBrush(COLOR_MENU));
  FillRect(dc, &rest, GetSysColorBrush(COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
  TextOutA(dc, item.rcItem.left + 2, item.rcItem.bottom, row.c_str(), 4);
  TextOutA(dc, rest.left + 2, item.rcItem.bottom, row.c_str() + 4, static_cast<int>(row.size() - 4));
  SelectObject(dc, old);
  return TRUE;
}

INT_PTR DisplaySectors::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(window);
      return TRUE;
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      if (measure == nullptr || measure->CtlID != static_cast<UINT>(kRowList)) break;
      measure->itemHeight = static_cast<UINT>(rowHeight_);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item == nullptr || item->CtlID != static_cast<UINT>(kRowList)) break;
      return DrawRow(*item);
    }
    case WM_ERASEBKGND:
      if (!ErasePanelBackground(window, reinterpret_cast<HDC>(wParam))) break;
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window, kErrorLine)) {
        const INT_PTR brush = Dialog::HandleMessage(window, message, wParam, lParam);
        SetTextColor(reinterpret_cast<HDC>(wParam), RGB(255, 0, 0));
        return brush;
      }
      break;
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == GetDlgItem(window, kScrollBar)) OnScroll(LOWORD(wParam));
      return 0;
    case WM_COMMAND: {
      const int command = LOWORD(wParam);
      if (command == kSectorNumber && HIWORD(wParam) == EN_KILLFOCUS) {
        TakeTypedNumber();
        return TRUE;
      }
      if (command == kCopy) {
        Window::PlayClick(Window::kClickSound);
        if (!CopySector()) MessageBeep(MB_ICONASTERISK);
        return TRUE;
      }
      // Enter in the number box goes to that number, not to closing.
      if (command == IDOK && GetFocus() == GetDlgItem(window, kSectorNumber)) {
        TakeTypedNumber();
        return TRUE;
      }
      if (command == IDOK || command == IDCANCEL) {
        Window::PlayClick(Window::kClickSound);
        EndDialog(window, 0);
        return TRUE;
      }
      return 0;
    }
    default:
      break;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}
