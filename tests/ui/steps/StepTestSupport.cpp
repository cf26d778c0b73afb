#include "StepTestSupport.h"

#include "Context.h"
#include "Dialog.h"
#include "Media.h"
#include "ShellTestSupport.h"

void StepStage::SetUp() {
  PrepareForTheMainWindow();
  window_.reset(new Window);
  ASSERT_TRUE(window_->CreateMainWindow());
}

void StepStage::TearDown() {
  window_.reset();
  delete TheContext().CurrentMedia;
  TheContext().CurrentMedia = nullptr;
  PumpFor(0);
  DeleteKey(HKEY_CURRENT_USER, kUserKey);
}

HWND StepStage::StepWindow() const {
  Dialog* step = window_->CurrentStep();
  return step != nullptr ? step->Handle() : nullptr;
}

void StepStage::Click(int id) {
  SendMessageA(StepWindow(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
}

void StepStage::SelectRow(int row) {
  HWND list = Control(1001);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
  SendMessageA(StepWindow(), WM_COMMAND, MAKEWPARAM(1001, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

int StepStage::RowCount() const { return static_cast<int>(SendMessageA(Control(1001), LB_GETCOUNT, 0, 0)); }

std::string StepStage::RowText(int row) const {
  char text[600] = {};
  const LRESULT length = SendMessageA(Control(1001), LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
  if (length < 0 || length >= static_cast<LRESULT>(sizeof text)) return std::string();
  SendMessageA(Control(1001), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
  return text;
}

namespace {

struct Answer {
  const char* title;  // null: any dialog
  std::function<void(HWND)> answer;
  int ticksLeft;
  bool answered = false;
};
Answer* pending = nullptr;

struct Search {
  const char* title;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  char title[100] = {};
  char className[20] = {};
  GetWindowTextA(window, title, sizeof title);
  GetClassNameA(window, className, sizeof className);
  if (!IsWindowVisible(window) || std::string(className) != "#32770") return TRUE;
  if (search->title != nullptr && std::string(title) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

HWND ThreadDialog(const char* title) {
  Search search = {title, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Runs inside the dialog's own modal loop, which dispatches this thread's
// timer messages. A dialog that never comes under its title is cancelled
// when the time is up, so that no test hangs.
void CALLBACK LookForDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  if (pending == nullptr || pending->answered) return;
  HWND dialog = ThreadDialog(pending->title);
  if (dialog != nullptr) {
    pending->answered = true;
    KillTimer(nullptr, timer);
    pending->answer(dialog);
    return;
  }
  if (--pending->ticksLeft > 0) return;
  KillTimer(nullptr, timer);
  dialog = ThreadDialog(nullptr);
  if (dialog != nullptr) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

bool AnswerDialogWhileItRuns(const char* title, const std::function<void(HWND)>& answer,
                             const std::function<void()>& opener, DWORD milliseconds) {
  constexpr UINT kTick = 100;
  Answer state{title, answer, static_cast<int>(milliseconds / kTick) + 1};
  pending = &state;
  const UINT_PTR timer = SetTimer(nullptr, 0, kTick, LookForDialog);
  opener();
  KillTimer(nullptr, timer);
  pending = nullptr;
  return state.answered;
}
