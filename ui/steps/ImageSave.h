// Saving an image of the current source, as step 2 offers it for a failing
// card: the save dialog, the progress window, the save itself (ImageSaver)
// and what the user is told afterwards. Runs on the user-interface thread,
// which it keeps live; a close of the main window meanwhile cancels the save
// and then closes.
#pragma once

#include <string>

class Dialog;
struct ImageSaveResult;

class ImageSave {
 public:
  // step: the dialog that offers the save; it is held off while it runs.
  explicit ImageSave(Dialog& step) : step_(step) {}

  void Run();

 private:
  bool OnTheSource(const std::string& path) const;
  void Report(const ImageSaveResult& result, const std::string& path) const;
  void Tell(const std::string& text) const;

  Dialog& step_;
};
