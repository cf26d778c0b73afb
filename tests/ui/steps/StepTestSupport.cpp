#include "StepTestSupport.h"

#include <vector>

#include "Context.h"
#include "Dialog.h"
#include "Media.h"
#include "Recovery.h"
#include "ShellTestSupport.h"

void StepStage::SetUp() {
  PrepareForTheMainWindow();
  window_.reset(new Window);
  ASSERT_TRUE(window_->CreateMainWindow());
}

void StepStage::TearDown() {
  window_.reset();
  if (TheContext().CurrentRecovery != nullptr) TheContext().CurrentRecovery->end();
  delete TheContext().CurrentRecovery;
  TheContext().CurrentRecovery = nullptr;
  delete TheContext().CurrentMedia;
  TheContext().CurrentMedia = nullptr;
  PumpFor(0);
  DeleteKey(HKEY_CURRENT_USER, kUserKey);
}

std::string StepStage::OpenImageAsSource(const char* name, uint32_t sectors) {
  const std::string path = FreshFolder("step-sources") + "\\" + name;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  std::vector<char> sector(512);
  for (uint32_t s = 0; s < sectors && file != INVALID_HANDLE_VALUE; ++s) {
    for (std::size_t i = 0; i < sector.size(); ++i) sector[i] = static_cast<char>(s + i);
    DWORD written = 0;
    WriteFile(file, sector.data(), static_cast<DWORD>(sector.size()), &written, nullptr);
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  delete TheContext().CurrentMedia;
  TheContext().CurrentMedia = new Media();
  EXPECT_TRUE(TheContext().CurrentMedia->OpenImage(path));
  return path;
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

struct Answers {
  std::vector<DialogAnswer> queue;
  std::size_t next = 0;
  HWND last = nullptr;  // the dialog answered last, which may still show
  int ticksLeft;
};
Answers* pending = nullptr;

struct Search {
  const char* title;
  HWND skip;
  HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  char title[100] = {};
  char className[20] = {};
  GetWindowTextA(window, title, sizeof title);
  GetClassNameA(window, className, sizeof className);
  if (window == search->skip || !IsWindowVisible(window) || std::string(className) != "#32770") return TRUE;
  if (search->title != nullptr && std::string(title) != search->title) return TRUE;
  search->found = window;
  return FALSE;
}

HWND ThreadDialog(const char* title, HWND skip) {
  Search search = {title, skip, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Runs inside the dialogs' own modal loops, which dispatch this thread's
// timer messages. A dialog that never comes under its title is cancelled
// when the time is up, so that no test hangs.
void CALLBACK LookForDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  if (pending == nullptr || pending->next == pending->queue.size()) return;
  const DialogAnswer& answer = pending->queue[pending->next];
  HWND skip = pending->last != nullptr && IsWindow(pending->last) ? pending->last : nullptr;
  HWND dialog = ThreadDialog(answer.title, skip);
  if (dialog != nullptr) {
    pending->last = dialog;
    ++pending->next;
    answer.answer(dialog);
    return;
  }
  if (--pending->ticksLeft > 0) return;
  KillTimer(nullptr, timer);
  dialog = ThreadDialog(nullptr, nullptr);
  if (dialog != nullptr) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int AnswerDialogsWhileTheyRun(const std::vector<DialogAnswer>& answers, const std::function<void()>& opener,
                              DWORD milliseconds) {
  constexpr UINT kTick = 100;
  Answers state{answers, 0, nullptr, static_cast<int>(milliseconds / kTick) + 1};
  pending = &state;
  const UINT_PTR timer = SetTimer(nullptr, 0, kTick, LookForDialog);
  opener();
  KillTimer(nullptr, timer);
  pending = nullptr;
  return static_cast<int>(state.next);
}

bool AnswerDialogWhileItRuns(const char* title, const std::function<void(HWND)>& answer,
                             const std::function<void()>& opener, DWORD milliseconds) {
  return AnswerDialogsWhileTheyRun({{title, answer}}, opener, milliseconds) == 1;
}

DialogAnswer SaveAs(const std::string& path) {
  return {"Save As", [path](HWND dialog) {
            SetDlgItemTextA(dialog, kFileNameBox, path.c_str());
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
          }};
}

DialogAnswer ReadMessage(std::string& told) {
  return {"Vantrel", [&told](HWND box) {
            char text[600] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            told = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
          }};
}
