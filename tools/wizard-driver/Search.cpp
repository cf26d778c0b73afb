// Steps 2 and 3: the options as they are, Next, and the search until it
// ends.
#include <cstdio>

#include "Press.h"
#include "StepControls.h"
#include "Waiting.h"
#include "WindowQueries.h"
#include "Wizard.h"

using namespace step_controls;

namespace {

// A Next that the step takes closes it: the next step is made in its place.
bool PressNext(Wizard& wizard, HWND step, int stepNumber, std::string& problem) {
  Press next(step, kNext);
  if (!next.Started()) {
    problem = "step " + std::to_string(stepNumber) + ": Next could not be pressed";
    return false;
  }
  if (!WaitUntil([&] { return next.Handled() && !IsWindow(step); }, wizard.StepMs())) {
    const std::string saying = wizard.Saying(IsWindow(step) ? step : nullptr);
    problem = "step " + std::to_string(stepNumber) + ": Next did not move on" +
              (saying.empty() ? std::string() : " (the program says: " + saying + ")");
    return false;
  }
  return true;
}

}  // namespace

bool KeepDefaults(Wizard& wizard, std::string& problem) {
  HWND step = wizard.AwaitStep(2, wizard.StepMs());
  if (step == nullptr) {
    problem = "step 2: the options did not appear after step 1";
    return false;
  }
  wizard.Shot("step2");
  if (!PressNext(wizard, step, 2, problem)) return false;
  std::printf("step 2: the default options taken\n");
  return true;
}

bool AwaitSearch(Wizard& wizard, std::string& problem) {
  HWND step = wizard.AwaitStep(3, wizard.StepMs());
  if (step == nullptr) {
    problem = "step 3: the search did not appear after step 2";
    return false;
  }
  HWND next = GetDlgItem(step, kNext);
  if (!Enabled(next)) {
    wizard.Shot("step3-running");
    if (Enabled(next)) wizard.DropShot("step3-running");
  }
  const unsigned seconds = wizard.Options().runTimeoutSeconds;
  const bool ended = WaitUntil([&] { return Enabled(next) || !IsWindow(step); }, SecondsToMs(seconds));
  if (!ended || !IsWindow(step)) {
    const std::string saying = wizard.Saying(IsWindow(step) ? step : nullptr);
    problem = ended ? std::string("step 3: the step closed before its search had finished")
                    : "step 3: the search had not finished after " + std::to_string(seconds) + " s";
    if (!saying.empty()) problem += " (the program says: " + saying + ")";
    return false;
  }
  wizard.Shot("step3-finished");
  if (!PressNext(wizard, step, 3, problem)) return false;
  std::printf("step 3: the search finished\n");
  return true;
}
