// Step 4: every found file ticked, the destination typed in, Copy, and the
// count the status line tells checked against the list.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>

#include "CopyOutcome.h"
#include "Press.h"
#include "StepControls.h"
#include "Waiting.h"
#include "WindowQueries.h"
#include "Wizard.h"

using namespace step_controls;

namespace {

// The step may still be filling its list when it shows: the count is taken
// once it has stayed the same for a while.
constexpr DWORD kSteadyListMs = 500;

bool ItemCount(HWND list, LRESULT& count) { return Ask(list, LVM_GETITEMCOUNT, 0, 0, count) && count >= 0; }

bool SteadyItemCount(HWND list, DWORD milliseconds, LRESULT& count) {
  LRESULT last = -1;
  ULONGLONG steadySince = GetTickCount64();
  return WaitUntil(
      [&] {
        if (!ItemCount(list, count)) return false;
        if (count != last) {
          last = count;
          steadySince = GetTickCount64();
        }
        return GetTickCount64() - steadySince >= kSteadyListMs;
      },
      milliseconds);
}

// The check box of a list view item is its state image: 2 ticked, 1 not.
LRESULT UntickedItems(HWND list, LRESULT count) {
  LRESULT unticked = 0;
  for (LRESULT item = 0; item < count; ++item) {
    LRESULT state = 0;
    if (!Ask(list, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_STATEIMAGEMASK, state) ||
        (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) != INDEXTOSTATEIMAGEMASK(2))
      ++unticked;
  }
  return unticked;
}

bool TickAll(Wizard& wizard, HWND step, HWND list, LRESULT count, std::string& problem) {
  Press tick(step, kTickAll);
  if (!tick.Started() || !WaitUntil([&] { return tick.Handled(); }, wizard.StepMs())) {
    problem = "step 4: tick all could not be pressed";
    return false;
  }
  const LRESULT unticked = UntickedItems(list, count);
  if (unticked != 0) {
    problem = "step 4: tick all left " + std::to_string(unticked) + " of " + std::to_string(count) + " files unticked";
    return false;
  }
  return true;
}

bool TypeDestination(const Wizard& wizard, HWND step, std::string& problem) {
  HWND box = GetDlgItem(step, kDestination);
  const std::string& destination = wizard.Options().destination;
  LRESULT ignored = 0;
  if (box == nullptr || !Ask(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(destination.c_str()), ignored) ||
      TextOf(box) != destination) {
    problem = "step 4: the destination could not be typed into the folder box";
    return false;
  }
  return true;
}

// The copy has ended when the step has handled Copy and is enabled again
// with its progress bar gone; a box the program shows meanwhile ends the
// wait too.
bool AwaitCopy(Wizard& wizard, HWND step, const Press& copy, std::string& problem) {
  HWND progress = GetDlgItem(step, kProgressBar);
  bool shotWhileCopying = false;
  HWND box = nullptr;
  const unsigned seconds = wizard.Options().copyTimeoutSeconds;
  const bool ended = WaitUntil(
      [&] {
        if ((box = wizard.ProgramBox()) != nullptr || !IsWindow(step)) return true;
        const bool running = !copy.Handled() || !Enabled(step) || Visible(progress);
        if (running && !shotWhileCopying && Visible(progress)) {
          shotWhileCopying = true;
          wizard.Shot("step4-copying");
          if (!Visible(progress)) wizard.DropShot("step4-copying");
        }
        return !running;
      },
      SecondsToMs(seconds));
  if (box != nullptr) {
    problem = "step 4: the copy stopped at a box of the program: " + DialogWords(box);
    return false;
  }
  if (!IsWindow(step)) {
    problem = "step 4: the step closed during the copy";
    return false;
  }
  if (!ended) {
    problem = "step 4: the copy had not finished after " + std::to_string(seconds) + " s";
    return false;
  }
  return true;
}

}  // namespace

bool CopyEverything(Wizard& wizard, std::string& problem) {
  HWND step = wizard.AwaitStep(4, wizard.StepMs());
  if (step == nullptr) {
    problem = "step 4: the copy step did not appear after step 3";
    return false;
  }
  HWND list = GetDlgItem(step, kFileList);
  LRESULT count = 0;
  if (!SteadyItemCount(list, wizard.StepMs(), count)) {
    problem = "step 4: the list of found files could not be read";
    return false;
  }
  if (count == 0) {
    wizard.Shot("step4");
    problem = "step 4: the search found no files, so nothing was copied";
    return false;
  }
  if (!TickAll(wizard, step, list, count, problem) || !TypeDestination(wizard, step, problem)) return false;
  wizard.Shot("step4");
  Press copy(step, kCopy);
  if (!copy.Started()) {
    problem = "step 4: Copy could not be pressed";
    return false;
  }
  if (!AwaitCopy(wizard, step, copy, problem)) return false;
  const std::string status = TextOf(GetDlgItem(step, kStatusLine));
  wizard.Shot("step4-copied");
  if (!CopyOfEveryFile(status, static_cast<unsigned long>(count))) {
    problem = "step 4: the copy of the " + std::to_string(count) + " files did not succeed: " +
              (status.empty() ? std::string("the status line says nothing") : status);
    return false;
  }
  std::printf("step 4: %s\n", status.c_str());
  return true;
}
