#include "ListBoxLines.h"

std::string ListBoxLine(HWND list, UINT row) {
  if (row == static_cast<UINT>(-1) || !(GetWindowLongPtrA(list, GWL_STYLE) & LBS_HASSTRINGS)) return std::string();
  const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
  if (length == LB_ERR || length <= 0) return std::string();
  std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
  if (copied == LB_ERR || copied < 0 || copied > length) return std::string();
  return std::string(text.data(), static_cast<std::size_t>(copied));
}

std::vector<std::string> ListBoxLines(HWND list, std::size_t maxBytes) {
  std::vector<std::string> lines;
  const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  std::size_t bytes = 0;
  for (LRESULT row = 0; count != LB_ERR && row < count; ++row) {
    std::string line = ListBoxLine(list, static_cast<UINT>(row));
    bytes += line.size();
    if (bytes > maxBytes) break;
    lines.push_back(std::move(line));
  }
  return lines;
}
