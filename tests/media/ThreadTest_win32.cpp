// Ending a worker that waits for the owner's window, as a recovery run does
// when it logs a line to the status list.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

#include "Thread.h"

namespace {

class SendingWorker : public Thread {
 public:
  explicit SendingWorker(HWND window) : window_(window) {}
  ~SendingWorker() override { waitUntilFinished(); }
  uint32_t run(void*) override {
    while (!stopRequested()) {
      SendMessageA(window_, WM_USER, 0, 0);
      ++sent;
    }
    return 0;
  }
  std::atomic<int> sent{0};

 private:
  HWND window_;
};

// Keeps running whatever it is told.
class StubbornWorker : public Thread {
 public:
  ~StubbornWorker() override { waitUntilFinished(); }
  uint32_t run(void*) override {
    for (;;) Sleep(10);
  }
};

}  // namespace

TEST(ThreadWin32, EndKeepsHandlingTheMessagesTheWorkerSends) {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  SendingWorker worker(window);
  ASSERT_TRUE(worker.start());
  // Without a message loop on this thread, the worker is now stuck in its
  // first SendMessageA until end() handles it.
  Sleep(50);
  EXPECT_TRUE(worker.end(2000));
  EXPECT_GE(worker.sent.load(), 1);
  DestroyWindow(window);
}

TEST(ThreadWin32, EndTerminatesAWorkerThatDoesNotStop) {
  StubbornWorker worker;
  ASSERT_TRUE(worker.start());
  EXPECT_FALSE(worker.end(200));
  EXPECT_TRUE(worker.isFinished());
}
