#include "SelDevice.h"

#include <algorithm>
#include <vector>

#include "CRegistry.h"
#include "Context.h"
#include "ImageFileDialog.h"
#include "ListBoxDeviceSink.h"
#include "Media.h"
#include "PopulateDevices.h"
#include "Recovery.h"
#include "ResourceIds.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"
#include "Utilities.h"
#include "Window.h"

namespace {

constexpr UINT kReapEnumeration = WM_APP + 1;
constexpr LRESULT kLongestRow = 500;

// Workers of steps that were closed while they ran: they stop by themselves
// and go once they have. None of them touches a window any more.
struct Leftover {
  std::unique_ptr<PopulateDevices> worker;
  std::unique_ptr<ListBoxDeviceSink> sink;
};
std::vector<Leftover>& Leftovers() {
  static std::vector<Leftover> leftovers;
  return leftovers;
}
void ReapLeftovers() {
  auto& leftovers = Leftovers();
  leftovers.erase(std::remove_if(leftovers.begin(), leftovers.end(),
                                 [](Leftover& left) { return left.worker->isFinished(); }),
                  leftovers.end());
}

bool AccessFloppy() {
  CRegistry machine;
  const std::string key = std::string(".") + TheContext().AppName.c_str();
  return machine.OpenAppKey(key.c_str()) && machine.ReadBool("AccessFloppy", false);
}

}  // namespace

SelDevice::SelDevice(HWND mainWindow) : Dialog(mainWindow, kTemplate) {}

// The worker is not waited for: it may be inside a send to this thread.
// Detached, it touches no window of this step again.
SelDevice::~SelDevice() {
  if (enumeration_ != nullptr && !enumeration_->isFinished()) {
    sink_->Detach();
    enumeration_->requestStop();
    Leftovers().push_back({std::move(enumeration_), std::move(sink_)});
  }
  enumeration_.reset();
  sink_.reset();
  Close();
  for (HBITMAP bitmap : {next_, nextDisabled_, refresh_})
    if (bitmap != nullptr) DeleteObject(bitmap);
}

bool SelDevice::Create() {
  wizardStep_ = true;
  if (!Dialog::Create()) return false;
  InitControls(kTextStep1Information);
  next_ = LoadPanelBitmap(IDB_NEXT);
  nextDisabled_ = LoadPanelBitmap(IDB_NEXT_DISABLED);
  refresh_ = LoadPanelBitmap(IDB_REFRESH);
  ShowNext(false);
  SendDlgItemMessageA(window_, kRefresh, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(refresh_));
  SetToolTipById(kDeviceList, kTextDeviceListTip);
  SetToolTipById(kNext, kTextNextToOptionsTip);
  SetToolTipById(kRefresh, kTextRefreshTip);
  Show();
  StartEnumeration();
  return true;
}

INT_PTR SelDevice::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    OnCommand(LOWORD(wParam), HIWORD(wParam), lParam);
    return 0;
  }
  if (message == kReapEnumeration) {
    EnumerationEnded();
    return 0;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}

void SelDevice::StartEnumeration() {
  ReapLeftovers();
  EnableWindow(GetDlgItem(window_, kRefresh), FALSE);
  sink_ = std::make_unique<ListBoxDeviceSink>(GetDlgItem(window_, kDeviceList), LoadText(kTextImageFileRow));
  enumeration_ = std::make_unique<PopulateDevices>(*sink_, AccessFloppy());
  ++enumerationsStarted_;
  if (!enumeration_->start()) {
    TraceMessage("The device list could not be started");
    enumeration_.reset();
    EnableWindow(GetDlgItem(window_, kRefresh), TRUE);
  }
}

// The worker's last send has returned: it has nothing left to do with this
// thread, so waiting for it is safe now.
void SelDevice::EnumerationEnded() {
  if (enumeration_ == nullptr || !enumeration_->isFinished()) {
    if (enumeration_ != nullptr) PostMessageA(window_, kReapEnumeration, 0, 0);
    return;
  }
  enumeration_.reset();
  sink_.reset();
  if (refreshWaiting_) {
    refreshWaiting_ = false;
    StartEnumeration();
    return;
  }
  EnableWindow(GetDlgItem(window_, kRefresh), TRUE);
}

void SelDevice::OnCommand(int command, int code, LPARAM lParam) {
  switch (command) {
    case kDeviceList:
      SetStatusText(0, "");
      if (code == LBN_SELCHANGE) OnSelectionChange();
      break;
    case kNext:
      OnNext();
      break;
    case kRefresh:
      OnRefresh();
      break;
    case kEnumerationDone:
      SetToolTipById(kDeviceList, lParam == 0 ? kTextDeviceListTip : kTextEmptyDeviceListTip);
      if (sink_ != nullptr) ExplainDenied(sink_->deniedLetters());
      PostMessageA(window_, kReapEnumeration, 0, 0);
      break;
    default:
      break;
  }
}

// Windows kept the enumeration from a drive: said here, by the step, not by
// a message box of the worker's.
void SelDevice::ExplainDenied(uint32_t deniedLetters) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if ((deniedLetters & (1u << (letter - 'A'))) == 0) continue;
    SetStatusText(kTextAccessDenied, std::string(1, letter) + ":");
    return;
  }
}

void SelDevice::OnSelectionChange() {
  HWND list = GetDlgItem(window_, kDeviceList);
  const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return;
  const auto item = static_cast<int32_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
  if (item == 0) {
    ShowNext(false);
    return;
  }
  Window::PlayClick(Window::kClickSound);
  ShowNext(true);
}

// A refresh during an enumeration (a device change, or a click during the
// first one) waits for its end instead of for the worker.
void SelDevice::OnRefresh() {
  EnableWindow(GetDlgItem(window_, kRefresh), FALSE);
  ShowNext(false);
  if (enumeration_ != nullptr) {
    refreshWaiting_ = true;
    return;
  }
  Window::PlayClick(Window::kClickSound);
  StartEnumeration();
}

void SelDevice::OnNext() {
  HWND list = GetDlgItem(window_, kDeviceList);
  const LRESULT index = SendMessageA(list, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) {
    SetStatusText(kTextNoDeviceChosen);
    return;
  }
  const auto item = static_cast<int32_t>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
  if (item == 0) return;
  Window::PlayClick(Window::kClickSound);
  // The old source closes here, whatever the new one does; a worker of an
  // earlier run reads it, so it goes first.
  Context& context = TheContext();
  if (context.CurrentRecovery != nullptr && !context.CurrentRecovery->isFinished()) context.CurrentRecovery->end();
  delete context.CurrentRecovery;
  context.CurrentRecovery = nullptr;
  delete context.CurrentMedia;
  context.CurrentMedia = new Media();
  if (!OpenRow(item, static_cast<int>(index))) {
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ShowNext(false);
    return;
  }
  PostMessageA(parent_, WM_COMMAND, 2002, 0);
  Close();
}

bool SelDevice::OpenRow(int32_t item, int index) {
  Media& media = *TheContext().CurrentMedia;
  if (item == kImageFileRow) return ChooseImageFile();
  if (item == kPhysicalDiskRow) {
    const std::string name = DiskNameOfRow(index);
    if (!name.empty() && media.OpenDevice(name, false)) return true;
    OpenFailed(item, name);
    return false;
  }
  if (item < 'A' || item > 'Z') return false;
  if (media.OpenDrive(static_cast<char>(item))) return true;
  OpenFailed(item, std::string());
  return false;
}

void SelDevice::OpenFailed(int32_t item, const std::string& diskName) {
  const bool notReady = TheContext().CurrentMedia->lastError == kErrorNotReady;
  if (item == kPhysicalDiskRow)
    SetStatusText(notReady ? kTextDiskNotReady : kTextDiskNotOpened, diskName);
  else
    SetStatusText(notReady ? kTextDriveNotReady : kTextDriveNotOpened, static_cast<char>(item));
}

// The device name is the row's first field without its blanks; a row longer
// than any the enumeration makes, or a name longer than a device name can
// be, names nothing.
std::string SelDevice::DiskNameOfRow(int index) const {
  HWND list = GetDlgItem(window_, kDeviceList);
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR || length <= 0 || length > kLongestRow) return std::string();
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  if (SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data())) == LB_ERR)
    return std::string();
  std::string name;
  for (const char* c = text.data(); *c != '\0' && *c != '\t'; ++c)
    if (*c != ' ') name += *c;
  return name.size() <= Media::kLongestDeviceName ? name : std::string();
}

bool SelDevice::ChooseImageFile() {
  std::string path;
  if (!AskForImageFile(ImageFileChoice::kOpen, path)) return false;
  CRegistry user;
  if (user.OpenAppKey(TheContext().AppName.c_str())) user.WriteString("ImageFilename", path.c_str());
  if (TheContext().CurrentMedia->OpenImage(path)) return true;
  SetStatusText(kTextImageFileNotOpened);
  return false;
}

void SelDevice::ShowNext(bool enabled) { EnableBitmapButton(kNext, enabled, next_, nextDisabled_); }
