#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "Event.h"
#include "Thread.h"

namespace {

// Runs until told to stop, like a scan over sectors.
class ScanWorker : public Thread {
 public:
  ~ScanWorker() override { waitUntilFinished(); }
  uint32_t run(void*) override {
    while (!stopRequested()) {
      for (volatile int i = 0; i < 1000; ++i) {
      }
      ++sectors;
    }
    return 7;
  }
  std::atomic<uint64_t> sectors{0};
};

class Answer : public Thread {
 public:
  explicit Answer(void* argument) : Thread(argument) {}
  ~Answer() override { waitUntilFinished(); }
  uint32_t run(void* argument) override {
    release.wait(5000);
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument)) + field;
  }
  uint32_t field = 0;
  Event release;
};

}  // namespace

TEST(Thread, RunSeesTheFieldsSetBeforeStart) {
  Answer worker(reinterpret_cast<void*>(40));
  worker.field = 2;
  ASSERT_TRUE(worker.start());
  EXPECT_FALSE(worker.start());
  EXPECT_FALSE(worker.isFinished());
  worker.release.set();
  worker.waitUntilFinished();
  EXPECT_TRUE(worker.isFinished());
  EXPECT_EQ(worker.exitCode(), 42u);
}

TEST(Thread, NeverStartedCountsAsFinished) {
  Answer worker(nullptr);
  EXPECT_TRUE(worker.isFinished());
  EXPECT_EQ(worker.waitUntilFinished(), 0u);
  EXPECT_TRUE(worker.end());
}

TEST(Thread, EndStopsACooperativeWorker) {
  ScanWorker worker;
  ASSERT_TRUE(worker.start());
  while (worker.sectors.load() == 0) std::this_thread::yield();
  EXPECT_TRUE(worker.end(1000));
  EXPECT_TRUE(worker.isFinished());
  EXPECT_EQ(worker.exitCode(), 7u);
}

TEST(Thread, StopsAtRandomMoments) {
  std::mt19937 random(2026);
  for (int i = 0; i < 100; ++i) {
    ScanWorker worker;
    ASSERT_TRUE(worker.start());
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
    EXPECT_TRUE(worker.end(1000)) << "attempt " << i;
  }
}

TEST(Event, AutoResets) {
  Event event;
  EXPECT_FALSE(event.wait(0));
  event.set();
  EXPECT_TRUE(event.wait(0));
  EXPECT_FALSE(event.wait(10));
}
