// The base of the program's workers: an object that runs its run() once, on a
// thread of its own.
//
// The owner makes the object, sets its fields, then calls start(), so that
// run() never sees a half-made object. It polls isFinished() and ends an
// unfinished worker with end(): a stop request that run() honours at its next
// check of stopRequested(), a wait that keeps the owner's window messages
// flowing (the worker may be waiting for them), and a forced termination only
// when the worker has not stopped by then. A forced end can leave the heap or
// a file locked, so run() checks stopRequested() at least once per unit of work.
//
// Deleting a worker waits for its thread. A derived class whose run() uses its
// own fields calls waitUntilFinished() first thing in its destructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

class Thread {
 public:
  explicit Thread(void* argument = nullptr);
  virtual ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Ends the thread by force (natively, where that is impossible, it only
  // requests the stop).
  virtual void terminate();
  // Waits without a time limit; returns 0 (the platform's "object signalled").
  virtual uint32_t waitUntilFinished();
  // The thread body; returns the thread's exit code.
  virtual uint32_t run(void* argument);
  // True once run() has returned, or when the thread was never started.
  virtual bool isFinished();

  // Starts the thread; false when it is already started or cannot be made.
  bool start();

  void requestStop() { stop_.store(true); }
  bool stopRequested() const { return stop_.load(); }

  // Requests the stop, waits up to graceMs for the thread to end, then ends it
  // by force. True when it ended by itself.
  bool end(uint32_t graceMs = 2000);

  // The value run() returned; 0 before the thread has finished.
  uint32_t exitCode();

 private:
  struct State;
  std::unique_ptr<State> state_;
  void* argument_;
  std::atomic<bool> stop_{false};
};
