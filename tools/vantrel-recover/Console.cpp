#include "Console.h"

#include <cstdio>

void Console::ClearProgress() {
  if (!progressShown_) return;
  std::fputs("\r     \r", stderr);
  progressShown_ = false;
}

void Console::Line(const std::string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  ClearProgress();
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Console::Error(const std::string& text) {
  std::lock_guard<std::mutex> hold(lock_);
  ClearProgress();
  std::fflush(stdout);
  std::fprintf(stderr, "vantrel-recover: %s\n", text.c_str());
}

void Console::Progress(uint32_t percent) {
  if (!showProgress_) return;
  std::lock_guard<std::mutex> hold(lock_);
  std::fprintf(stderr, "\r%3u %%", percent);
  std::fflush(stderr);
  progressShown_ = true;
}

void Console::EndProgress() {
  std::lock_guard<std::mutex> hold(lock_);
  ClearProgress();
}
