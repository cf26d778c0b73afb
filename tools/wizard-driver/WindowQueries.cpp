#include "WindowQueries.h"

#include <cstring>
#include <vector>

namespace {

constexpr UINT kAnswerTimeMs = 5000;
// Longer texts than a status line or a message box holds are cut here.
constexpr LRESULT kLongestText = 8192;

struct Search {
  DWORD processId;
  const char* className;
  HWND skip;
  HWND found;
};

bool HasClass(HWND window, const char* className) {
  char name[64] = {};
  if (GetClassNameA(window, name, sizeof name) == 0) return false;
  return std::strcmp(name, className) == 0;
}

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || window == search->skip || !IsWindowVisible(window)) return TRUE;
  if (!HasClass(window, search->className)) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindTop(DWORD processId, const char* className, HWND skip) {
  Search search = {processId, className, skip, nullptr};
  EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK CollectStatic(HWND window, LPARAM parameter) {
  auto* words = reinterpret_cast<std::string*>(parameter);
  if (!HasClass(window, "Static") || !IsWindowVisible(window)) return TRUE;
  const std::string text = TextOf(window);
  if (!text.empty()) *words += text + "\n";
  return TRUE;
}

}  // namespace

bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  DWORD_PTR answer = 0;
  if (window == nullptr ||
      SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerTimeMs, &answer) ==
          0)
    return false;
  result = static_cast<LRESULT>(answer);
  return true;
}

std::string TextOf(HWND window) {
  LRESULT length = 0;
  if (!Ask(window, WM_GETTEXTLENGTH, 0, 0, length) || length <= 0) return std::string();
  if (length > kLongestText) length = kLongestText;
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT copied = 0;
  if (!Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied) || copied <= 0)
    return std::string();
  if (copied > length) copied = length;
  return std::string(text.data(), static_cast<std::size_t>(copied));
}

std::string DialogWords(HWND dialog) {
  std::string words = TextOf(dialog);
  if (!words.empty()) words += ": ";
  EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&words));
  while (!words.empty() && (words.back() == '\n' || words.back() == ' ')) words.pop_back();
  return words;
}

HWND TopWindowOf(DWORD processId, const char* className) { return FindTop(processId, className, nullptr); }

HWND TopDialogOf(DWORD processId, HWND skip) { return FindTop(processId, "#32770", skip); }

HWND ChildDialogOf(HWND parent) {
  for (HWND child = FindWindowExA(parent, nullptr, "#32770", nullptr); child != nullptr;
       child = FindWindowExA(parent, child, "#32770", nullptr))
    if (IsWindowVisible(child)) return child;
  return nullptr;
}

bool Visible(HWND window) { return window != nullptr && IsWindowVisible(window); }

bool Enabled(HWND window) { return window != nullptr && IsWindowEnabled(window); }
