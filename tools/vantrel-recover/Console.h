// The tool's output: result lines on standard output, progress and errors on
// standard error. The recovery worker logs from its own thread while the
// main thread shows progress, so every write takes the console's lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

class Console {
 public:
  // showProgress: progress in percent on standard error (a terminal only).
  explicit Console(bool showProgress) : showProgress_(showProgress) {}

  void Line(const std::string& text);
  // "vantrel-recover: " and the text.
  void Error(const std::string& text);
  void Progress(uint32_t percent);
  // Removes the progress figure, once the work it counted is done.
  void EndProgress();

 private:
  void ClearProgress();

  std::mutex lock_;
  bool showProgress_;
  bool progressShown_ = false;
};
