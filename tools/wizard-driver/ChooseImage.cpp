// Starting the program and step 1: the image-file row, the open dialog, the
// image's path typed into its file name box, Open.
#include <cstdio>

#include "Press.h"
#include "StepControls.h"
#include "Waiting.h"
#include "WindowQueries.h"
#include "Wizard.h"

using namespace step_controls;

namespace {

// Where the program tells it nothing more, a step's status line or a box
// does.
std::string WithSaying(const std::string& problem, const std::string& saying) {
  return saying.empty() ? problem : problem + " (the program says: " + saying + ")";
}

// The enumeration fills the list on its worker and gives Refresh back when
// it has ended; the image-file row is the last one then.
bool AwaitImageRow(HWND step, DWORD milliseconds, LRESULT& row) {
  HWND list = GetDlgItem(step, kDeviceList);
  return WaitUntil(
      [&] {
        LRESULT count = 0;
        LRESULT data = 0;
        if (!Enabled(GetDlgItem(step, kRefresh)) || !Ask(list, LB_GETCOUNT, 0, 0, count) || count <= 0) return false;
        row = count - 1;
        return Ask(list, LB_GETITEMDATA, static_cast<WPARAM>(row), 0, data) && data == kImageFileRowData;
      },
      milliseconds);
}

// As a click on a row: the selection, then the list's notification.
bool SelectRow(HWND step, LRESULT row) {
  HWND list = GetDlgItem(step, kDeviceList);
  LRESULT ignored = 0;
  return Ask(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0, ignored) &&
         Ask(step, WM_COMMAND, MAKEWPARAM(kDeviceList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list), ignored);
}

HWND AwaitOpenDialog(const Wizard& wizard, DWORD milliseconds) {
  HWND dialog = nullptr;
  WaitUntil(
      [&] {
        dialog = wizard.ProgramBox();
        return dialog != nullptr && GetDlgItem(dialog, kFileNameBox) != nullptr;
      },
      milliseconds);
  return dialog != nullptr && GetDlgItem(dialog, kFileNameBox) != nullptr ? dialog : nullptr;
}

// The image opened when step 1 has gone; it failed when step 1 is still
// there after handling Next, or when a box of the dialog's own came up.
bool AnswerOpenDialog(Wizard& wizard, HWND step, HWND dialog, const Press& next, std::string& problem) {
  const std::string& image = wizard.Options().image;
  HWND nameBox = GetDlgItem(dialog, kFileNameBox);
  LRESULT ignored = 0;
  if (!Ask(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(image.c_str()), ignored) || TextOf(nameBox) != image) {
    problem = "step 1: the image path could not be typed into the open dialog";
    return false;
  }
  wizard.Shot("step1-open-dialog", dialog);
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = nullptr;
  const bool settled = WaitUntil(
      [&] {
        box = wizard.ProgramBox(IsWindow(dialog) ? dialog : nullptr);
        return box != nullptr || (next.Handled() && !IsWindow(step));
      },
      wizard.StepMs());
  if (settled && box == nullptr) return true;
  // Seen once Next has been handled: the open dialog is gone, step 1 stays.
  if (box == nullptr && next.Handled() && IsWindow(step)) {
    problem = WithSaying("step 1: the image was not opened", wizard.Saying(step));
    return false;
  }
  problem = WithSaying("step 1: the open dialog did not take " + image, box != nullptr ? DialogWords(box) : "");
  return false;
}

}  // namespace

bool StartProgram(Wizard& wizard, std::string& problem) {
  const std::string program =
      wizard.Options().program.empty() ? BesideDriver("Vantrel.exe") : wizard.Options().program;
  if (program.empty() || !wizard.Program().Start(program)) {
    problem = "start: " + program + " could not be started";
    return false;
  }
  HWND main = nullptr;
  WaitUntil([&] { return (main = TopWindowOf(wizard.Program().Id(), "VANTREL")) != nullptr; }, wizard.StepMs());
  if (main == nullptr) {
    problem = wizard.Program().Running() ? "start: the main window did not appear" : "start: the program ended at once";
    return false;
  }
  wizard.SetMainWindow(main);
  return true;
}

bool ChooseImage(Wizard& wizard, std::string& problem) {
  HWND step = wizard.AwaitStep(1, wizard.StepMs());
  if (step == nullptr) {
    problem = WithSaying("step 1: the device list did not appear", wizard.Saying(nullptr));
    return false;
  }
  LRESULT row = 0;
  if (!AwaitImageRow(step, wizard.StepMs(), row)) {
    problem = "step 1: the device list was not filled with its image-file row";
    return false;
  }
  if (!SelectRow(step, row) || !WaitUntil([&] { return Enabled(GetDlgItem(step, kSelectNext)); }, wizard.StepMs())) {
    problem = "step 1: Next was not enabled for the image-file row";
    return false;
  }
  wizard.Shot("step1");
  Press next(step, kSelectNext);
  HWND dialog = next.Started() ? AwaitOpenDialog(wizard, wizard.StepMs()) : nullptr;
  if (dialog == nullptr) {
    problem = WithSaying("step 1: the open dialog did not appear", wizard.Saying(step));
    return false;
  }
  if (!AnswerOpenDialog(wizard, step, dialog, next, problem)) return false;
  std::printf("step 1: %s opened\n", wizard.Options().image.c_str());
  return true;
}
