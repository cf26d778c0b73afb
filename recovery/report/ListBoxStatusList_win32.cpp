#include <windows.h>

#include "ListBoxStatusList.h"

bool ListBoxStatusList::exists() const { return listBox_ != nullptr && IsWindow(static_cast<HWND>(listBox_)); }

void ListBoxStatusList::add(const std::string& line) {
  HWND list = static_cast<HWND>(listBox_);
  LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
}
