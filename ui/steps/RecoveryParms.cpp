#include "RecoveryParms.h"

#include "Context.h"
#include "DisplaySectors.h"
#include "ImageSave.h"
#include "Media.h"
#include "Recovery.h"
#include "ResourceIds.h"
#include "TextIds.h"
#include "Trace.h"
#include "Window.h"

namespace {

constexpr int kShowStep1 = 2001;
constexpr int kShowStep3 = 2003;

// The wizard's defaults: deleted entries on, everything else off.
RecoveryOptions DefaultOptions() {
  RecoveryOptions options;
  options.includeDeleted = true;
  return options;
}

}  // namespace

RecoveryParms::RecoveryParms(HWND mainWindow) : Dialog(mainWindow, kTemplate) {}

RecoveryParms::~RecoveryParms() {
  Close();
  for (HBITMAP bitmap : {next_, back_})
    if (bitmap != nullptr) DeleteObject(bitmap);
}

bool RecoveryParms::Create() {
  wizardStep_ = true;
  if (!Dialog::Create()) return false;
  ShowOptions(DefaultOptions());
  InitControls(kTextStep2Information);
  next_ = LoadPanelBitmap(IDB_NEXT);
  back_ = LoadPanelBitmap(IDB_BACK);
  SendDlgItemMessageA(window_, kNext, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next_));
  SendDlgItemMessageA(window_, kBack, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(back_));
  SetToolTipById(kNext, kTextNextTip);
  SetToolTipById(kBack, kTextBackTip);
  SetToolTipById(kDeleted, kTextDeletedTip);
  SetToolTipById(kIntensive, kTextIntensiveScanTip);
  SetToolTipById(kPartial, kTextKeepPartialTip);
  for (int type : {kJpeg, kVideo, kAvi, kMp3, kOthers, kTiff}) SetToolTipById(type, kTextFileTypeTip);
  Show();
  return true;
}

INT_PTR RecoveryParms::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    if (!saving_) OnCommand(LOWORD(wParam));
    return 0;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}

void RecoveryParms::ShowOptions(const RecoveryOptions& options) {
  const auto tick = [this](int id, bool on) { CheckDlgButton(window_, id, on ? BST_CHECKED : BST_UNCHECKED); };
  tick(kDeleted, options.includeDeleted);
  CheckDlgButton(window_, kIntensive,
                 options.forceIntensive ? BST_CHECKED : options.suppressIntensive ? BST_INDETERMINATE : BST_UNCHECKED);
  tick(kPartial, options.keepPartial);
  tick(kJpeg, options.types.wantJpeg);
  tick(kVideo, options.types.wantVideo);
  tick(kAvi, options.types.wantAvi);
  tick(kMp3, options.types.wantMp3);
  tick(kTiff, options.types.wantTiff);
  tick(kOthers, options.types.wantOthers);
}

bool RecoveryParms::Ticked(int id) const { return IsDlgButtonChecked(window_, id) == BST_CHECKED; }

// The intensive box is read by its exact state: a plain true/false reading
// would take grey (suppress) for ticked (force).
RecoveryOptions RecoveryParms::OptionsShown() const {
  RecoveryOptions options;
  options.includeDeleted = Ticked(kDeleted);
  const UINT intensive = IsDlgButtonChecked(window_, kIntensive);
  options.forceIntensive = intensive == BST_CHECKED;
  options.suppressIntensive = intensive == BST_INDETERMINATE;
  options.keepPartial = Ticked(kPartial);
  options.types.wantJpeg = Ticked(kJpeg);
  options.types.wantVideo = Ticked(kVideo);
  options.types.wantAvi = Ticked(kAvi);
  options.types.wantMp3 = Ticked(kMp3);
  options.types.wantTiff = Ticked(kTiff);
  options.types.wantOthers = Ticked(kOthers);
  return options;
}

void RecoveryParms::OnCommand(int command) {
  if (command != kTiff) Window::PlayClick(Window::kClickSound);
  switch (command) {
    case kNext:
      StartRun();
      break;
    case kBack:
      PostMessageA(parent_, WM_COMMAND, kShowStep1, 0);
      Close();
      break;
    case kViewSectors:
      TraceMessage("Display Sectors entered");
      ViewSectors();
      break;
    case kSaveImage:
      SetStatusText(0, "");
      SaveImage();
      break;
    default:
      break;
  }
}

// A worker of an earlier run is ended first: its found files go with it.
// The new one starts at once but waits for step 3 to hand it its list.
void RecoveryParms::StartRun() {
  Context& context = TheContext();
  if (context.CurrentMedia == nullptr) return;
  if (context.CurrentRecovery != nullptr) {
    if (!context.CurrentRecovery->isFinished()) context.CurrentRecovery->end();
    delete context.CurrentRecovery;
    context.CurrentRecovery = nullptr;
  }
  auto* recovery = new Recovery(*context.CurrentMedia, context.dictionary, OptionsShown());
  if (!recovery->start()) {
    TraceMessage("The recovery worker could not be started");
    delete recovery;
    return;
  }
  context.CurrentRecovery = recovery;
  PostMessageA(parent_, WM_COMMAND, kShowStep3, 0);
  Close();
}

void RecoveryParms::ViewSectors() {
  if (TheContext().CurrentMedia == nullptr) return;
  DisplaySectors viewer(window_);
  if (viewer.Show(0) < 0) TraceMessage("The sector viewer could not be made");
}

// Nothing else reads the card while its image is being saved: the step's
// commands are held off, and the progress window disables the step.
void RecoveryParms::SaveImage() {
  saving_ = true;
  ImageSave(*this).Run();
  saving_ = false;
}
