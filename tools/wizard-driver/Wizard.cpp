#include "Wizard.h"

#include <cstdio>

#include "Screenshot.h"
#include "StepControls.h"
#include "Waiting.h"
#include "WindowQueries.h"

using namespace step_controls;

namespace {

constexpr DWORD kPaintSettleMs = 400;

}  // namespace

DWORD Wizard::StepMs() const { return SecondsToMs(options_.stepTimeoutSeconds); }

int StepOf(HWND dialog) {
  if (dialog == nullptr) return 0;
  if (GetDlgItem(dialog, kDeviceList) != nullptr && GetDlgItem(dialog, kSelectNext) != nullptr) return 1;
  if (GetDlgItem(dialog, kDeletedBox) != nullptr) return 2;
  if (GetDlgItem(dialog, kStatusList) != nullptr) return 3;
  if (GetDlgItem(dialog, kFileList) != nullptr) return 4;
  return 0;
}

HWND Wizard::StepDialog() const { return main_ != nullptr ? ChildDialogOf(main_) : nullptr; }

HWND Wizard::AwaitStep(int step, DWORD milliseconds) const {
  HWND dialog = nullptr;
  WaitUntil(
      [&] {
        dialog = StepDialog();
        return StepOf(dialog) == step || !program_.Running();
      },
      milliseconds);
  return StepOf(dialog) == step ? dialog : nullptr;
}

HWND Wizard::ProgramBox(HWND skip) const { return TopDialogOf(program_.Id(), skip); }

std::string Wizard::Saying(HWND step, HWND skip) const {
  HWND box = ProgramBox(skip);
  if (box != nullptr) return DialogWords(box);
  return step != nullptr ? TextOf(GetDlgItem(step, kStatusLine)) : std::string();
}

std::string Wizard::ShotPath(const char* name) const { return options_.shots + "\\" + name + ".bmp"; }

void Wizard::DropShot(const char* name) const {
  if (!options_.shots.empty()) DeleteFileA(ShotPath(name).c_str());
}

void Wizard::Shot(const char* name, HWND over) const {
  if (options_.shots.empty()) return;
  const std::string path = ShotPath(name);
  // The window has just changed: the program paints when its queue is
  // empty, which a redraw from here would wait for without a limit.
  Sleep(kPaintSettleMs);
  if (!SaveScreenshot(main_, over, path)) std::fprintf(stderr, "wizard-driver: the screenshot %s was not saved\n", path.c_str());
}
