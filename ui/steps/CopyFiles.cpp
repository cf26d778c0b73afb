#include "CopyFiles.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>

#include "CRegistry.h"
#include "Context.h"
#include "File.h"
#include "FileCopier.h"
#include "ImageDisplay.h"
#include "Media.h"
#include "Palette.h"
#include "PicturePane.h"
#include "Recovery.h"
#include "ResourceIds.h"
#include "SourceDevice.h"
#include "Steps.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"
#include "Window.h"

namespace {

constexpr int kShowStep2 = 2002;
// The state column is wide enough for "Deleted, incomplete" in every
// language shipped; the three together are as wide as ever.
constexpr int kColumnWidths[CopyFiles::kColumnCount] = {150, 55, 125};
constexpr int kUnticked = 1;
constexpr int kTicked = 2;
constexpr uint32_t kInfotipVersion = 1536;  // packed 0.1536: any library with a version
constexpr std::size_t kPathCharacters = 260;
constexpr std::size_t kMenuTextLimit = 60;
constexpr UINT kRepaintDelayMs = 100;
constexpr COLORREF kBarColour = RGB(0, 0xC0, 0);
// The status line names this many numbered or incomplete copies, then "...".
constexpr std::size_t kNamesShown = 1;
constexpr uint32_t kBarSteps = 200;

Window* MainWindow() { return TheContext().mainWindow; }

void PlayClick() { Window::PlayClick(Window::kClickSound); }

bool Ticked(HWND list, int item) {
  const UINT state = static_cast<UINT>(SendMessageA(list, LVM_GETITEMSTATE, item, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kTicked);
}

void SetTick(HWND list, int item, bool ticked) {
  LVITEMA state = {};
  state.stateMask = LVIS_STATEIMAGEMASK;
  state.state = INDEXTOSTATEIMAGEMASK(ticked ? kTicked : kUnticked);
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

// The ";"-separated part number index of titles.
std::string TitlePart(const std::string& titles, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index && start != std::string::npos; ++i) {
    start = titles.find(';', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return std::string();
  const std::size_t end = titles.find(';', start);
  return titles.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int CALLBACK CompareItems(LPARAM first, LPARAM second, LPARAM step) {
  return reinterpret_cast<CopyFiles*>(step)->CompareRecords(*reinterpret_cast<const File*>(first),
                                                            *reinterpret_cast<const File*>(second));
}

int CALLBACK BrowserCallback(HWND browser, UINT message, LPARAM, LPARAM start) {
  const auto* folder = reinterpret_cast<const char*>(start);
  if (message == BFFM_INITIALIZED && folder != nullptr && folder[0] != '\0')
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

// A few names for the status line, then "...".
std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size() && i < kNamesShown; ++i) {
    if (i > 0) list += ", ";
    list += names[i];
  }
  return list + (names.size() > kNamesShown ? ", ..." : ".");
}

// The sentence about the names, in its singular form for one; "" for none.
std::string CountedText(unsigned one, unsigned many, const std::vector<std::string>& names) {
  if (names.empty()) return "";
  if (names.size() == 1) return LoadText(one, NameList(names));
  return LoadText(many, static_cast<uint32_t>(names.size()), NameList(names));
}

// The destination as a full path: a relative one is taken from the current
// folder, as the user would read it.
std::string FullPath(const std::string& text) {
  char full[MAX_PATH + 1] = {};
  const DWORD length = GetFullPathNameA(text.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length <= MAX_PATH ? std::string(full) : std::string();
}

}  // namespace

CopyFiles::CopyFiles(HWND mainWindow) : Dialog(mainWindow, kTemplate) {
  listFont_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH, "Arial");
  menu_ = CreatePopupMenu();
  if (menu_ != nullptr) {
    const std::string replace = LoadText(kTextReplaceBlockingFilesMenuItem).substr(0, kMenuTextLimit);
    const std::string view = LoadText(kTextViewPictureMenuItem).substr(0, kMenuTextLimit);
    AppendMenuA(menu_, MF_STRING | MF_CHECKED, kReplaceBlockingItem, replace.c_str());
    AppendMenuA(menu_, MF_STRING, kViewItem, view.c_str());
  }
}

CopyFiles::~CopyFiles() {
  Close();
  if (menu_ != nullptr) DestroyMenu(menu_);
  for (HBITMAP bitmap : {browse_, back_, copy_, clear_})
    if (bitmap != nullptr) DeleteObject(bitmap);
  if (listFont_ != nullptr) DeleteObject(listFont_);
}

bool CopyFiles::Create() {
  wizardStep_ = true;
  if (!Dialog::Create()) return false;
  infotips_ = ModuleDllVersion("COMCTL32.DLL") >= kInfotipVersion;
  CRegistry user;
  const std::string documents = GetSpecialFolder(kFolderPersonal);
  destination_ = user.OpenAppKey(TheContext().AppName.c_str()) ? user.ReadString("LastDir", documents) : documents;
  SendDlgItemMessageA(window_, kDestination, EM_LIMITTEXT, kPathCharacters, 0);
  SetDlgItemTextA(window_, kDestination, destination_.c_str());
  // The dialog's styling gives every control the program's font: the list
  // and its header take their own afterwards.
  InitControls(kTextStep4Information);
  SetUpList();
  SetUpButtons();
  frame_.Attach(GetDlgItem(window_, kPictureFrame));
  Show();
  return true;
}

void CopyFiles::SetUpList() {
  HWND list = GetDlgItem(window_, kFileList);
  if (list == nullptr) return;
  DWORD extended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  if (infotips_) extended |= LVS_EX_INFOTIP;
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  InsertColumns(list);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  const Recovery* recovery = TheContext().CurrentRecovery;
  if (recovery != nullptr) {
    uint64_t bytes = 0;
    SendMessageA(list, LVM_SETITEMCOUNT, Recovery::countFiles(recovery->root, bytes), 0);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    completeText_ = LoadText(kTextFileComplete);
    incompleteText_ = LoadText(kTextFileIncomplete);
    deletedText_ = LoadText(kTextFileDeleted);
    deletedIncompleteText_ = LoadText(kTextFileDeletedIncomplete);
    FillList(recovery->root, list);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  }
  SendMessageA(list, LVM_SETTEXTCOLOR, 0, Palette::kTextColour);
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, Palette::kPanelColour);
  SendMessageA(list, LVM_SETBKCOLOR, 0, Palette::kPanelColour);
}

void CopyFiles::InsertColumns(HWND list) {
  const std::string titles = LoadText(kTextFoundColumnTitles);
  for (int column = 0; column < kColumnCount; ++column) {
    std::string title = TitlePart(titles, column);
    LVCOLUMNA entry = {};
    entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    entry.fmt = LVCFMT_LEFT;
    if (!title.empty() && title[0] == '-') {
      entry.fmt = LVCFMT_RIGHT;
      title.erase(0, 1);
    }
    entry.cx = kColumnWidths[column];
    entry.pszText = &title[0];
    entry.iSubItem = column;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&entry));
  }
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  if (header == nullptr) return;
  SendMessageA(header, WM_SETFONT, reinterpret_cast<WPARAM>(listFont_), FALSE);
  SetPropA(header, kFontProperty, listFont_);
  if (TheContext().vistaOrLater) return;
  for (int column = 0; column < kColumnCount; ++column) {
    HDITEMA item = {};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
    item.fmt = (item.fmt & HDF_JUSTIFYMASK) | HDF_OWNERDRAW;
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  }
}

// Depth first, in the order of the card; folders are not listed.
void CopyFiles::FillList(const File& folder, HWND list) {
  for (File* child = folder.firstChild; child != nullptr; child = child->next) {
    if (child->isVolumeLabel) continue;
    if (child->isDirectory) {
      FillList(*child, list);
      continue;
    }
    std::string name = child->displayName();
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    item.iItem = INT_MAX;
    item.pszText = &name[0];
    item.lParam = reinterpret_cast<LPARAM>(child);
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(kUnticked);
    const int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (index < 0) continue;
    std::string size = child->sizeText(false);
    std::string state = child->isComplete ? completeText_ : incompleteText_;
    if (child->isDeleted) state = child->isComplete ? deletedText_ : deletedIncompleteText_;
    LVITEMA text = {};
    text.iSubItem = 1;
    text.pszText = &size[0];
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text));
    text.iSubItem = 2;
    text.pszText = &state[0];
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text));
  }
}

void CopyFiles::SetUpButtons() {
  browse_ = LoadPanelBitmap(IDB_BROWSE);
  back_ = LoadPanelBitmap(IDB_BACK);
  copy_ = LoadPanelBitmap(IDB_COPY);
  clear_ = LoadPanelBitmap(IDB_CLEAR);
  const struct {
    int control;
    HBITMAP image;
    unsigned tip;
  } buttons[] = {{kBrowse, browse_, kTextBrowseTip},
                 {kBack, back_, kTextBackTip},
                 {kCopy, copy_, kTextCopyTip},
                 {kTickAll, nullptr, kTextTickAllTip},
                 {kUntickAll, clear_, kTextUntickAllTip}};
  for (const auto& button : buttons) {
    if (button.image != nullptr)
      SendDlgItemMessageA(window_, button.control, BM_SETIMAGE, IMAGE_BITMAP,
                          reinterpret_cast<LPARAM>(button.image));
    SetToolTipById(button.control, button.tip);
  }
}

INT_PTR CopyFiles::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header != nullptr && header->idFrom == kFileList) {
        const INT_PTR result = OnNotify(*reinterpret_cast<NMHDR*>(lParam));
        SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
        return TRUE;
      }
      break;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && lParam == 0) SetTimer(window, kRepaintTimer, kRepaintDelayMs, nullptr);
      break;
    case WM_TIMER:
      if (wParam == kRepaintTimer) {
        KillTimer(window, kRepaintTimer);
        InvalidateRect(GetDlgItem(window, kFileList), nullptr, TRUE);
      }
      break;
    case WM_DESTROY:
      KillTimer(window, kRepaintTimer);
      break;
    default:
      break;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}

INT_PTR CopyFiles::OnNotify(const NMHDR& header) {
  switch (header.code) {
    case LVN_COLUMNCLICK:
      if (reads_ == 0) SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return 0;
    case LVN_ITEMCHANGING:
      return OnItemChanging(reinterpret_cast<const NMLISTVIEW&>(header)) ? TRUE : FALSE;
    case LVN_ITEMCHANGED:
      OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
      return 0;
    case LVN_GETINFOTIPA:
    case LVN_GETINFOTIPW:
      OnInfotip(const_cast<NMHDR&>(header));
      return 0;
    case NM_RCLICK:
      if (reads_ == 0) ShowContextMenu();
      return 0;
    default:
      return 0;
  }
}

// True refuses the change: while something reads the card, a new selection
// would start a second read into the same buffer, and the ticks are the
// copy's own to change.
bool CopyFiles::OnItemChanging(const NMLISTVIEW& change) const {
  if (reads_ == 0 || (change.uChanged & LVIF_STATE) == 0) return false;
  const UINT changed = change.uNewState ^ change.uOldState;
  return (changed & LVIS_SELECTED) != 0;
}

void CopyFiles::OnItemChanged(const NMLISTVIEW& change) {
  if ((change.uChanged & LVIF_STATE) == 0) return;
  const bool selectedNow = (change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0;
  if (!selectedNow || reads_ > 0) return;
  File* record = reinterpret_cast<File*>(change.lParam);
  PlayClick();
  ShowThumbnail(record != nullptr && record->isPicture ? record : nullptr);
}

void CopyFiles::OnInfotip(NMHDR& header) {
  if (header.code == LVN_GETINFOTIPA) {
    auto& tip = reinterpret_cast<NMLVGETINFOTIPA&>(header);
    const File* record = RecordOfItem(tip.iItem);
    if (record == nullptr || tip.pszText == nullptr || tip.cchTextMax <= 0) return;
    const std::string text = InfotipText(*record, static_cast<std::size_t>(tip.cchTextMax) - 1);
    lstrcpynA(tip.pszText, text.c_str(), tip.cchTextMax);
    return;
  }
  auto& tip = reinterpret_cast<NMLVGETINFOTIPW&>(header);
  const File* record = RecordOfItem(tip.iItem);
  if (record == nullptr || tip.pszText == nullptr || tip.cchTextMax <= 0) return;
  const std::string text = InfotipText(*record, static_cast<std::size_t>(tip.cchTextMax) - 1);
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, tip.pszText, tip.cchTextMax);
  tip.pszText[tip.cchTextMax - 1] = L'\0';
}

std::string CopyFiles::InfotipText(const File& record, std::size_t limit) const {
  std::string text = record.pathText(static_cast<int>(std::min<std::size_t>(limit, INT_MAX)));
  auto copy = copies_.find(&record);
  if (copy != copies_.end()) text += "\n" + LoadText(kTextCopiedToTip, NarrowText(copy->second));
  if (text.size() > limit) text.resize(limit);
  return text;
}

File* CopyFiles::RecordOfItem(int item) const {
  LVITEMA entry = {};
  entry.mask = LVIF_PARAM;
  entry.iItem = item;
  if (item < 0 || !SendDlgItemMessageA(window_, kFileList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry)))
    return nullptr;
  return reinterpret_cast<File*>(entry.lParam);
}

void CopyFiles::SortByColumn(int column) {
  if (column < 0 || column >= kColumnCount) return;
  sortKey_ = (column + 1 == std::abs(sortKey_)) ? -sortKey_ : column + 1;
  SendDlgItemMessageA(window_, kFileList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(this),
                      reinterpret_cast<LPARAM>(&CompareItems));
}

int CopyFiles::CompareRecords(const File& a, const File& b) {
  int result = 0;
  switch (std::abs(sortKey_)) {
    case 1:
      result = SortName(a).compare(SortName(b));
      break;
    case 2:
      result = a.size < b.size ? -1 : (a.size > b.size ? 1 : 0);
      break;
    case 3:
      result = (a.isComplete ? 0 : 1) - (b.isComplete ? 0 : 1);
      break;
    default:
      return 0;
  }
  if (result != 0) result = result < 0 ? -1 : 1;
  return sortKey_ < 0 ? -result : result;
}

// The system's sort key orders byte strings as its string comparison orders
// the names; made once per record, a sort of many files stays quick.
const std::string& CopyFiles::SortName(const File& record) {
  auto known = sortNames_.find(&record);
  if (known != sortNames_.end()) return known->second;
  const std::string name = record.displayName();
  std::string key;
  const int length = LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), -1, nullptr, 0);
  if (length > 0) {
    key.resize(static_cast<std::size_t>(length));
    LCMapStringA(LOCALE_USER_DEFAULT, LCMAP_SORTKEY, name.c_str(), -1, reinterpret_cast<char*>(&key[0]), length);
  } else {
    key = name;
  }
  return sortNames_.emplace(&record, key).first->second;
}

void CopyFiles::ShowContextMenu() {
  HWND list = GetDlgItem(window_, kFileList);
  if (menu_ == nullptr || list == nullptr) return;
  POINT cursor = {};
  GetCursorPos(&cursor);
  LVHITTESTINFO hit = {};
  hit.pt = cursor;
  ScreenToClient(list, &hit.pt);
  File* record = nullptr;
  if (SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0 &&
      (hit.flags & (LVHT_ONITEMICON | LVHT_ONITEMLABEL)) != 0)
    record = RecordOfItem(hit.iItem);
  CheckMenuItem(menu_, kReplaceBlockingItem, MF_BYCOMMAND | (replaceBlocking_ ? MF_CHECKED : MF_UNCHECKED));
  const UINT flags = TPM_CENTERALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY;
  const int command = TrackPopupMenu(menu_, flags, cursor.x, cursor.y, 0, window_, nullptr);
  RunMenuCommand(command, record);
}

void CopyFiles::RunMenuCommand(int command, File* record) {
  if (command == kReplaceBlockingItem) {
    replaceBlocking_ = !replaceBlocking_;
    if (menu_ != nullptr)
      CheckMenuItem(menu_, kReplaceBlockingItem, MF_BYCOMMAND | (replaceBlocking_ ? MF_CHECKED : MF_UNCHECKED));
  } else if (command == kViewItem && record != nullptr && reads_ == 0) {
    ViewPicture(record);
  }
}

void CopyFiles::ShowPictureFrame(bool show) {
  ShowWindow(GetDlgItem(window_, kPictureFrame), show ? SW_SHOW : SW_HIDE);
  ShowWindow(GetDlgItem(window_, kInformationText), show ? SW_HIDE : SW_SHOW);
}

void CopyFiles::ShowThumbnail(File* record) {
  Media* media = TheContext().CurrentMedia;
  if (record == nullptr || media == nullptr || record->size > PictureFrame::kLargestPicture) {
    frame_.Release();
    ShowPictureFrame(false);
    return;
  }
  ShowPictureFrame(true);
  bool shown = false;
  {
    ReadHold hold(*this);
    SetBusy(true);
    shown = frame_.Load(*record, *media);
    SetBusy(false);
  }
  if (IsClosed()) return;
  if (shown) {
    SetStatusText(0, "");
    return;
  }
  SetStatusText(kTextPictureNotShown);
  ShowPictureFrame(false);
}

void CopyFiles::ViewPicture(File* record) {
  Media* media = TheContext().CurrentMedia;
  if (record == nullptr || media == nullptr || record->size > PictureFrame::kLargestPicture) return;
  ReadHold hold(*this);
  SetBusy(true);
  std::unique_ptr<uint8_t[]> data = ReadPictureData(*record, *media);
  SetBusy(false);
  if (IsClosed()) return;
  ImageDisplay view(window_);
  if (data == nullptr || !view.LoadPictureData(data.get(), static_cast<uint32_t>(record->size))) {
    SetStatusText(kTextPictureNotShown);
    return;
  }
  data.reset();
  view.RunModal();
}

void CopyFiles::OnCommand(int command) {
  if (reads_ > 0) return;
  switch (command) {
    case kBrowse:
      PlayClick();
      SetStatusText(0, "");
      BrowseDestination();
      break;
    case kCopy:
      PlayClick();
      SetStatusText(0, "");
      OnCopy();
      break;
    case kBack:
      Back();
      break;
    case kTickAll:
    case kUntickAll:
      PlayClick();
      SetStatusText(0, "");
      TickEvery(command == kTickAll);
      break;
    default:
      break;
  }
}

void CopyFiles::TickEvery(bool ticked) { SetTick(GetDlgItem(window_, kFileList), -1, ticked); }

// The new-style browser needs OLE on this thread; where the thread has COM
// in another mode the classic browser does without.
void CopyFiles::BrowseDestination() {
  char current[kPathCharacters + 1] = {};
  GetDlgItemTextA(window_, kDestination, current, sizeof current);
  const std::string title = LoadText(kTextFolderBrowserTitle);
  const HRESULT ole = OleInitialize(nullptr);
  BROWSEINFOA browse = {};
  browse.hwndOwner = window_;
  browse.pszDisplayName = current;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS | (SUCCEEDED(ole) ? BIF_NEWDIALOGSTYLE : 0);
  browse.lpfn = &BrowserCallback;
  std::string start = current;
  browse.lParam = reinterpret_cast<LPARAM>(start.c_str());
  LPITEMIDLIST chosen = nullptr;
  {
    NestedLoop nested;
    chosen = SHBrowseForFolderA(&browse);
  }
  if (chosen != nullptr) {
    char path[MAX_PATH + 1] = {};
    if (SHGetPathFromIDListA(chosen, path) && !IsClosed()) {
      SetDlgItemTextA(window_, kDestination, path);
      CRegistry user;
      if (user.OpenAppKey(TheContext().AppName.c_str())) user.WriteString("LastDir", path);
    }
    CoTaskMemFree(chosen);
  }
  if (SUCCEEDED(ole)) OleUninitialize();
}

void CopyFiles::OnCopy() {
  std::string folder;
  if (!DestinationIsUsable(folder)) return;
  destination_ = folder;
  CopyTicked(folder);
}

// An existing folder, not on the card: a relative text is read from the
// current folder.
bool CopyFiles::DestinationIsUsable(std::string& folder) {
  char text[kPathCharacters + 1] = {};
  GetDlgItemTextA(window_, kDestination, text, sizeof text);
  folder = text[0] != '\0' ? FullPath(text) : std::string();
  const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    SetStatusText(kTextNoFolderChosen);
    SetFocus(GetDlgItem(window_, kDestination));
    return false;
  }
  const Media* media = TheContext().CurrentMedia;
  if (media != nullptr && FolderOnSourceDevice(folder, media->sourcePath)) {
    SetStatusText(kTextDestinationOnSource, folder);
    SetFocus(GetDlgItem(window_, kDestination));
    return false;
  }
  return true;
}

bool CopyFiles::CopyTicked(const std::string& destination) {
  Media* media = TheContext().CurrentMedia;
  HWND list = GetDlgItem(window_, kFileList);
  if (media == nullptr || list == nullptr) return false;
  ReadHold hold(*this);
  const int items = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  uint64_t total = 0;
  for (int item = 0; item < items; ++item) {
    const File* record = Ticked(list, item) ? RecordOfItem(item) : nullptr;
    if (record != nullptr) total += record->size;
  }
  HWND bar = GetDlgItem(window_, kProgressBar);
  ShowWindow(GetDlgItem(window_, kStatusLine), SW_HIDE);
  ShowWindow(bar, SW_SHOW);
  SendMessageA(bar, PBM_SETBARCOLOR, 0, kBarColour);
  SendMessageA(bar, PBM_SETBKCOLOR, 0, Palette::kBackgroundColour);
  SendMessageA(bar, PBM_SETRANGE32, 0, kBarSteps);
  SendMessageA(bar, PBM_SETPOS, 0, 0);
  SetBusy(true);
  EnableWindow(window_, FALSE);

  FileCopier copier(*media, destination);
  copier.replaceBlockingFiles = replaceBlocking_;
  uint64_t done = 0;
  uint32_t shown = 0;
  copier.written = [&](uint32_t bytes) {
    done += bytes;
    const uint32_t position = total == 0 ? kBarSteps : static_cast<uint32_t>(done * kBarSteps / total);
    if (position != shown) SendMessageA(bar, PBM_SETPOS, shown = position, 0);
  };
  // The names used in the destination, shown below it.
  const std::size_t destinationLength = copier.Destination().size();
  std::vector<std::string> numbered;
  std::vector<std::string> incomplete;
  const File* failed = nullptr;
  uint32_t copied = 0;
  for (int item = 0; item < items && !IsClosed(); ++item) {
    const File* record = Ticked(list, item) ? RecordOfItem(item) : nullptr;
    if (record == nullptr) continue;
    if (MainWindow() != nullptr && MainWindow()->CloseRequested()) break;
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE);
    PumpPendingMessages();
    const bool success = copier.CopyOneFile(*record);
    if (!success && copier.lastError != FileCopier::kErrorUnreadableSector) {
      failed = record;
      break;
    }
    copies_[record] = copier.lastTarget;
    if (success) ++copied;
    if (!success) incomplete.push_back(record->pathText(0));
    if (copier.lastTarget != copier.TargetPath(*record))
      numbered.push_back(NarrowText(copier.lastTarget.substr(std::min(destinationLength, copier.lastTarget.size()))));
    SetTick(list, item, false);
  }
  copier.StampFolders();
  if (IsClosed()) return false;

  ShowWindow(bar, SW_HIDE);
  if (failed != nullptr) {
    if (copied == 1)
      SetStatusText(kTextCopyStoppedAfterOne, failed->pathText(0), SystemMessageText(copier.lastError));
    else
      SetStatusText(kTextCopyStopped, failed->pathText(0), SystemMessageText(copier.lastError), copied);
  } else {
    SetStatusText(0, ResultText(copied, destination, numbered, incomplete));
  }
  EnableWindow(window_, TRUE);
  SetBusy(false);
  PumpPendingMessages();
  return failed == nullptr && incomplete.empty();
}

std::string CopyFiles::ResultText(uint32_t copied, const std::string& destination,
                                  const std::vector<std::string>& numbered,
                                  const std::vector<std::string>& incomplete) const {
  std::string text = copied == 1 ? LoadText(kTextOneFileCopiedTo, destination)
                                 : LoadText(kTextFilesCopiedTo, copied, destination);
  text += CountedText(kTextOneCopyNumbered, kTextCopiesNumbered, numbered);
  text += CountedText(kTextOneCopyIncomplete, kTextCopiesIncomplete, incomplete);
  return text;
}

// The run's records go with the run: the window that lists them goes first.
void CopyFiles::Back() {
  PlayClick();
  PostMessageA(parent_, WM_COMMAND, kShowStep2, 0);
  frame_.Release();
  Close();
  DiscardCurrentRecovery();
}
