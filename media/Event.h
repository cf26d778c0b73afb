// An auto-reset event: set() releases one wait, which resets it.
#pragma once

#include <cstdint>
#include <memory>

class Event {
 public:
  Event();
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void set();
  // True when the event was set within timeoutMs (and is reset again).
  bool wait(uint32_t timeoutMs);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
