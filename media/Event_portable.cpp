#include <chrono>
#include <condition_variable>
#include <mutex>

#include "Event.h"

struct Event::State {
  std::mutex mutex;
  std::condition_variable changed;
  bool signalled = false;
};

Event::Event() : state_(new State) {}
Event::~Event() = default;

void Event::set() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->signalled = true;
  state_->changed.notify_one();
}

bool Event::wait(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  if (!state_->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return state_->signalled; }))
    return false;
  state_->signalled = false;
  return true;
}
