#include <windows.h>

#include <utility>

#include "ListBoxDeviceSink.h"

ListBoxDeviceSink::ListBoxDeviceSink(void* listBox, std::string ownRow)
    : listBox_(listBox), ownRow_(std::move(ownRow)) {}

void ListBoxDeviceSink::AddOwnRow() {
  HWND list = static_cast<HWND>(listBox_);
  LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ownRow_.c_str()));
  if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(kOwnRow));
}

void ListBoxDeviceSink::Clear() {
  if (detached_.load()) return;
  SendMessageA(static_cast<HWND>(listBox_), LB_RESETCONTENT, 0, 0);
  AddOwnRow();
}

void ListBoxDeviceSink::Add(const std::string& text, int32_t item) {
  if (detached_.load()) return;
  HWND list = static_cast<HWND>(listBox_);
  // An empty list has not got the step's row yet; LB_ERR counts as empty.
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  if (count <= 0) {
    AddOwnRow();
    count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return;
  }
  LRESULT index =
      SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(text.c_str()));
  if (index >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(item));
}

void ListBoxDeviceSink::Denied(char letter) {
  if (letter >= 'A' && letter <= 'Z') denied_.fetch_or(1u << (letter - 'A'));
}

void ListBoxDeviceSink::Finished(bool nothingFound) {
  if (detached_.load()) return;
  HWND parent = GetParent(static_cast<HWND>(listBox_));
  if (parent != nullptr)
    SendMessageA(parent, WM_COMMAND, static_cast<WPARAM>(kFinishedCommand), static_cast<LPARAM>(nothingFound ? 1 : 0));
}
