#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "Thread.h"

struct Thread::State {
  std::thread thread;
  std::mutex mutex;
  std::condition_variable ended;
  bool started = false;
  bool finished = false;
  uint32_t exitCode = 0;
};

Thread::Thread(void* argument) : state_(new State), argument_(argument) {}

Thread::~Thread() {
  if (state_->thread.joinable()) state_->thread.join();
}

bool Thread::start() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  if (state_->started) return false;
  state_->started = true;
  state_->thread = std::thread([this] {
    uint32_t code = run(argument_);
    std::lock_guard<std::mutex> done(state_->mutex);
    state_->exitCode = code;
    state_->finished = true;
    state_->ended.notify_all();
  });
  return true;
}

void Thread::terminate() { requestStop(); }

uint32_t Thread::waitUntilFinished() {
  std::unique_lock<std::mutex> lock(state_->mutex);
  state_->ended.wait(lock, [this] { return !state_->started || state_->finished; });
  return 0;
}

uint32_t Thread::run(void*) { return 0; }

bool Thread::isFinished() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return !state_->started || state_->finished;
}

bool Thread::end(uint32_t graceMs) {
  requestStop();
  std::unique_lock<std::mutex> lock(state_->mutex);
  return state_->ended.wait_for(lock, std::chrono::milliseconds(graceMs),
                                [this] { return !state_->started || state_->finished; });
}

uint32_t Thread::exitCode() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->exitCode;
}
