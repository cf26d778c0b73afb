#include "Window.h"

#include <dbt.h>
#include <shellapi.h>
#include <windowsx.h>

#include <memory>

#include "About.h"
#include "Bitmaps.h"
#include "CRegistry.h"
#include "Context.h"
#include "Dialog.h"
#include "HelpLibrary.h"
#include "Media.h"
#include "OwnResources.h"
#include "Recovery.h"
#include "Steps.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"

namespace {

const UINT_PTR kDeviceTimer = 1;
const UINT kDeviceDelayMs = 250;
const int kFirstStepCommand = 2001;
const int kLastStepCommand = 2004;
// The title of each step, by step number less one.
const unsigned kStepTitles[] = {kTextStep1Title, kTextStep2Title, kTextStep3Title, kTextStep4Title};
static_assert(sizeof kStepTitles / sizeof kStepTitles[0] == kLastStepCommand - kFirstStepCommand + 1,
              "one title per step command");

enum Command {
  kCloseCommand = IDM_CLOSE,
  kHelpCommand = 3001,
  kAboutCommand = 3002,
  kUpdatesCommand = 3003,
};

// A LogoFile picture taller than this is not shown.
const int kLogoMaxHeight = 70;
// The colour of the pictures that stands for "what lies behind".
const COLORREF kSeeThrough = RGB(192, 192, 192);

std::string MachineWideAppName() { return std::string(".") + TheContext().AppName.c_str(); }

// "Vantrel <version> : OS=<major>.<minor>.<build> <product name>"
void TraceVersionLine() {
  CRegistry system;
  system.OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  TraceMessage("Vantrel %s : OS=%d.%d.%s %s", ProductVersionText(nullptr),
               system.ReadDword("CurrentMajorVersionNumber", 0), system.ReadDword("CurrentMinorVersionNumber", 0),
               system.ReadString("CurrentBuild", ""), system.ReadString("ProductName", ""));
}

}  // namespace

Window::Window() : palette_(TheContext().LanguageTag.str()) {
  TheContext().mainWindow = this;
  TheContext().messagePump = this;

  // Opening the per-user key creates it on a first start.
  CRegistry user;
  user.OpenAppKey(TheContext().AppName.c_str());
  CRegistry machineWide;
  machineWide.OpenAppKey(MachineWideAppName().c_str());
  std::string logoFile = machineWide.ReadString("LogoFile", "");
  std::string website = machineWide.ReadString("Website", "");
  if (!website.empty()) TheContext().WebsiteText = website;

  className_ = OwnString(IDS_CLASS_NAME, 99);
  PlayClick(0);

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = &Window::Procedure;
  windowClass.hInstance = OwnInstance();
  windowClass.hIcon = LoadIconA(OwnInstance(), MAKEINTRESOURCEA(IDI_VANTREL));
  windowClass.hIconSm = static_cast<HICON>(
      LoadImageA(OwnInstance(), MAKEINTRESOURCEA(IDI_VANTREL), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                 GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className_.c_str();
  RegisterClassExA(&windowClass);

  pictures_.banner = LoadBitmapA(OwnInstance(), MAKEINTRESOURCEA(IDB_BANNER));
  pictures_.bannerSize = BitmapSize(pictures_.banner);
  LoadLogo(logoFile);
  BuildMenu();
  accelerators_ = LoadAcceleratorsA(OwnInstance(), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  busyCursor_ = LoadCursorA(nullptr, IDC_WAIT);
}

Window::~Window() {
  currentStep_.reset();
  if (window_ != nullptr) DestroyWindow(window_);
  UnregisterClassA(className_.c_str(), OwnInstance());
  if (pictures_.banner != nullptr) DeleteObject(pictures_.banner);
  if (pictures_.logo != nullptr) DeleteObject(pictures_.logo);
  if (menu_ != nullptr) DestroyMenu(menu_);
  if (TheContext().mainWindow == this) TheContext().mainWindow = nullptr;
  if (TheContext().messagePump == this) TheContext().messagePump = nullptr;
}

// A machine-wide LogoFile of at most 70 pixels' height replaces the built-in
// logo; its see-through grey takes the background colour.
void Window::LoadLogo(const std::string& logoFile) {
  if (!logoFile.empty()) {
    HBITMAP file = LoadBitmapFile(logoFile.c_str());
    SIZE size = BitmapSize(file);
    if (file != nullptr && size.cy <= kLogoMaxHeight)
      pictures_.logo = CopyReplacingColour(file, kSeeThrough, Palette::kBackgroundColour);
    if (file != nullptr) DeleteObject(file);
  }
  if (pictures_.logo == nullptr) pictures_.logo = LoadBitmapA(OwnInstance(), MAKEINTRESOURCEA(IDB_LOGO));
  pictures_.logoSize = BitmapSize(pictures_.logo);
}

void Window::BuildMenu() {
  menu_ = CreatePopupMenu();
  if (menu_ == nullptr) return;
  AppendMenuA(menu_, MF_STRING, kHelpCommand, LoadText(kTextHelpMenuItem).c_str());
  AppendMenuA(menu_, MF_STRING, kAboutCommand, LoadText(kTextAboutTitle).c_str());
  AppendMenuA(menu_, MF_STRING, kUpdatesCommand, LoadText(kTextUpdatesMenuItem).c_str());
}

bool Window::CreateMainWindow() {
  RECT workArea = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
  CRegistry user;
  user.OpenAppKey(TheContext().AppName.c_str());
  // Stored as DWORDs; a position left of or above the main screen is negative.
  int x = static_cast<int>(user.ReadDword("PositionX", static_cast<DWORD>(workArea.right / 10)));
  int y = static_cast<int>(user.ReadDword("PositionY", static_cast<DWORD>(workArea.bottom / 10)));

  HWND window = CreateWindowExA(0, className_.c_str(), TheContext().WindowTitle.c_str(),
                                WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, x, y, kWidth, kHeight, nullptr, nullptr,
                                OwnInstance(), this);
  if (window == nullptr) return false;

  TraceMessage(nullptr);
  TraceVersionLine();

  titleLine_.SetWithFrame(false);
  titleLine_.SetTextById(kStepTitles[0], true);
  titleLine_.CreateText((layout_.width - kTitleLineWidth) / 2, kTitleLineTop, kTitleLineWidth, kTitleLineHeight,
                        true);

  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  stepNumber_ = 1;
  currentStep_ = MakeStep(1, window_);
  if (currentStep_ != nullptr) currentStep_->Create();
  return true;
}

// Every step needs what the steps before it made: a source for the options
// and a recovery worker for the run and the copy.
bool Window::StepPossible(int step) const {
  const Context& context = TheContext();
  if (step >= 2 && (context.CurrentMedia == nullptr || context.CurrentMedia->buffer == nullptr)) return false;
  if (step >= 3 && context.CurrentRecovery == nullptr) return false;
  // The found files are read only once the run that finds them has ended.
  if (step >= 4 && !context.CurrentRecovery->isFinished()) return false;
  return true;
}

// The wizard step switch (commands 2001 to 2004): the old step goes before
// the new one is made, so at most one step window exists. Steps that are
// not part of the program yet move the title line and the help context only.
bool Window::ShowStep(int step) {
  if (nestedLoops_ > 0) {
    TraceMessage("Step %d waits until the dialog in front has closed", step);
    pendingStep_ = step;
    return true;
  }
  if (!StepPossible(step)) {
    TraceMessage("Step %d refused: what it needs is not there", step);
    return false;
  }
  currentStep_.reset();
  // The steps paint no background of their own: the window paints its own
  // now, while no step covers it, so that nothing the old step showed stays
  // where the new one has no control.
  RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  currentStep_ = MakeStep(step, window_);
  TraceMessage("Displaying Step %d dialog", step);
  titleLine_.SetTextById(kStepTitles[step - 1], true);
  stepNumber_ = step;
  if (currentStep_ != nullptr && !currentStep_->Create()) {
    TraceMessage("Step %d dialog could not be made", step);
    currentStep_.reset();
  }
  return true;
}

// Posted, so that the switch or the close runs from the main loop, after the
// loop that just ended has unwound.
void Window::CloseStep() { currentStep_.reset(); }

void Window::LeaveNestedLoop() {
  if (nestedLoops_ > 0) --nestedLoops_;
  if (nestedLoops_ > 0 || window_ == nullptr) return;
  if (pendingStep_ != 0)
    PostMessageA(window_, WM_COMMAND, static_cast<WPARAM>(kFirstStepCommand + pendingStep_ - 1), 0);
  if (pendingClose_) PostMessageA(window_, WM_CLOSE, 0, 0);
  pendingStep_ = 0;
  pendingClose_ = false;
}

NestedLoop::NestedLoop() {
  if (TheContext().mainWindow != nullptr) TheContext().mainWindow->EnterNestedLoop();
}

NestedLoop::~NestedLoop() {
  if (TheContext().mainWindow != nullptr) TheContext().mainWindow->LeaveNestedLoop();
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_CREATE) {
    self->OnCreate(window);
    return 0;
  }
  if (self->window_ == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

void Window::OnCreate(HWND window) {
  window_ = window;
  TheContext().mainWindowHandle = window;
  RECT client = {};
  GetClientRect(window, &client);
  layout_ = WindowLayout(client.right, client.bottom, pictures_.logoSize, palette_.TitleHeight());

  // Only the lower corners are curved: a round-cornered rectangle joined
  // with the square top band.
  HRGN shape = CreateRoundRectRgn(0, 0, layout_.width, layout_.height, 55, 55);
  HRGN top = CreateRectRgn(0, 0, layout_.width, 100);
  if (shape != nullptr && top != nullptr && CombineRgn(shape, shape, top, RGN_OR) != ERROR) {
    // The window owns the region once this succeeds; otherwise it stays a
    // plain rectangle.
    if (SetWindowRgn(window, shape, TRUE)) shape = nullptr;
  }
  if (shape != nullptr) DeleteObject(shape);
  if (top != nullptr) DeleteObject(top);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_MOVE:
      InvalidateRect(window_, nullptr, FALSE);
      if (currentDialog_ != nullptr) PlaceStepDialog(currentDialog_);
      return 0;
    case WM_LBUTTONDOWN:
      OnLeftButtonDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case WM_NCHITTEST: {
      POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(window_, &point);
      return layout_.HitTest(point);
    }
    case WM_HELP:
      ShowHelpContext();
      return TRUE;
    case WM_SYSCOMMAND: {
      LRESULT result = DefWindowProcA(window_, message, wParam, lParam);
      if ((wParam & 0xFFF0) == SC_RESTORE) InvalidateRect(window_, nullptr, TRUE);
      return result;
    }
    case WM_SETCURSOR:
      if (busyCount_ > 0 && (LOWORD(lParam) == HTCLIENT || LOWORD(lParam) == static_cast<WORD>(HTERROR))) {
        SetCursor(busyCursor_);
        return TRUE;
      }
      break;
    case WM_DEVICECHANGE:
      // Plugging in a card fires several events: refresh once, after the last.
      if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)
        SetTimer(window_, kDeviceTimer, kDeviceDelayMs, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wParam == kDeviceTimer) {
        KillTimer(window_, kDeviceTimer);
        if (currentDialog_ != nullptr) SendMessageA(currentDialog_, WM_COMMAND, kDevicesChangedCommand, 0);
      }
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORDLG:
      return OnControlColour(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_RBUTTONDOWN:
    case WM_MENUSELECT:
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

void Window::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window_, &paint);
  if (dc != nullptr) {
    WindowPainter painter(dc, layout_, palette_, pictures_);
    painter.Paint("Vantrel");
  }
  EndPaint(window_, &paint);
}

void Window::OnLeftButtonDown(POINT point) {
  switch (layout_.PartAt(point)) {
    case WindowPart::kClose:
      PlayClick(kClickSound);
      PostMessageA(window_, WM_CLOSE, 0, 0);
      break;
    case WindowPart::kHelp:
      PlayClick(kClickSound);
      ShowHelpContext();
      break;
    case WindowPart::kMinimise:
      PlayClick(kClickSound);
      PostMessageA(window_, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case WindowPart::kLogo:
      ClientToScreen(window_, &point);
      TrackPopupMenu(menu_, TPM_RIGHTBUTTON, point.x, point.y, 0, window_, nullptr);
      break;
    case WindowPart::kNothing:
      break;
  }
}

// The program's colours for controls: the status line dark red, framed
// controls on the panel, everything else on the background; dialogs paint no
// background of their own, so the window's painting shows through them.
LRESULT Window::OnControlColour(UINT message, HDC dc, HWND control) {
  if (message == WM_CTLCOLORDLG) return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
  if (message == WM_CTLCOLORLISTBOX) return reinterpret_cast<LRESULT>(palette_.BackgroundBrush());

  const int id = GetDlgCtrlID(control);
  const LONG_PTR styleType = GetWindowLongPtrA(control, GWL_STYLE) & SS_TYPEMASK;
  SetBkMode(dc, OPAQUE);
  if (id == Dialog::kStatusLine) {
    SetTextColor(dc, RGB(128, 0, 0));
    SetBkColor(dc, Palette::kBackgroundColour);
    return reinterpret_cast<LRESULT>(palette_.BackgroundBrush());
  }
  SetTextColor(dc, Palette::kTextColour);
  if (id != 0 && styleType != SS_SIMPLE) {
    SetBkColor(dc, Palette::kPanelColour);
    return reinterpret_cast<LRESULT>(palette_.PanelBrush());
  }
  SetBkColor(dc, Palette::kBackgroundColour);
  return reinterpret_cast<LRESULT>(palette_.BackgroundBrush());
}

void Window::OnCommand(int command) {
  if (command >= kFirstStepCommand && command <= kLastStepCommand) {
    ShowStep(command - kFirstStepCommand + 1);
    return;
  }
  switch (command) {
    case kCloseCommand:
      PostMessageA(window_, WM_CLOSE, 0, 0);
      break;
    case kHelpCommand:
      HelpLibrary::ShowContents(window_, TheContext().HelpFile.c_str());
      break;
    case kUpdatesCommand:
      ShellExecuteA(window_, "open", OwnString(IDS_UPDATES_PAGE, 200).c_str(), nullptr, nullptr, 0);
      break;
    case kAboutCommand: {
      // Owned by the step that is open, which gets keyboard navigation back
      // when the box is gone.
      std::unique_ptr<About> about(new About(currentDialog_ != nullptr ? currentDialog_ : window_));
      about->RunModal();
      break;
    }
    default:
      break;
  }
}

void Window::ShowHelpContext() {
  HelpLibrary::ShowContext(window_, TheContext().HelpFile.c_str(), stepNumber_);
}

// A close during a nested loop waits for it, like a step switch: the step
// and what it reads must not go under the loop.
void Window::OnClose() {
  if (nestedLoops_ > 0) {
    pendingClose_ = true;
    closeAsked_ = true;
    return;
  }
  currentStep_.reset();
  HelpLibrary::CloseAll();
  DestroyWindow(window_);
}

void Window::OnDestroy() {
  PostQuitMessage(0);
  window_ = nullptr;
  TheContext().mainWindowHandle = nullptr;
}
