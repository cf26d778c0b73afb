// Where a run reports its findings line by line: the status step's list box
// on Windows (ListBoxStatusList), a callback elsewhere.
#pragma once

#include <functional>
#include <string>
#include <utility>

class StatusList {
 public:
  virtual ~StatusList() = default;
  // False once the list is gone (its window closed): then nothing is logged.
  virtual bool exists() const = 0;
  virtual void add(const std::string& line) = 0;
};

class CallbackStatusList : public StatusList {
 public:
  explicit CallbackStatusList(std::function<void(const std::string&)> sink) : sink_(std::move(sink)) {}
  bool exists() const override { return static_cast<bool>(sink_); }
  void add(const std::string& line) override { sink_(line); }

 private:
  std::function<void(const std::string&)> sink_;
};
