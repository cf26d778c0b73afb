// The status step's list box as the list a run logs to (Windows only).
#pragma once

#include "StatusList.h"

class ListBoxStatusList : public StatusList {
 public:
  // listBox is the list box's window handle (HWND).
  explicit ListBoxStatusList(void* listBox) : listBox_(listBox) {}
  bool exists() const override;
  // Sent, not posted: the worker waits until the list has the line, and the
  // list scrolls so that the newest line shows.
  void add(const std::string& line) override;

 private:
  void* listBox_;
};
