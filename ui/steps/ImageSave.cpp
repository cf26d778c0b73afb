#include "ImageSave.h"

#include <windows.h>

#include "CRegistry.h"
#include "Context.h"
#include "Dialog.h"
#include "ImageFileDialog.h"
#include "ImageSaver.h"
#include "Media.h"
#include "ProgressDlg.h"
#include "SourceDevice.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"
#include "Utilities.h"
#include "Window.h"

namespace {

std::u16string WidePath(const std::string& path) {
  const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (length <= 1) return std::u16string();
  std::u16string wide(static_cast<std::size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, reinterpret_cast<wchar_t*>(&wide[0]), length);
  wide.pop_back();
  return wide;
}

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full) : path;
}

std::string SystemText(uint32_t error) {
  std::string text = SystemMessageText(error);
  TrimRight(text);
  return text;
}

}  // namespace

void ImageSave::Run() {
  Media* media = TheContext().CurrentMedia;
  if (media == nullptr || media->buffer == nullptr) return;
  if (media->sectorCount > ImageSaver::kMostSectors) {
    Tell(LoadText(kTextImageTooLarge));
    return;
  }
  std::string path;
  if (!AskForImageFile(ImageFileChoice::kSave, path)) return;
  CRegistry user;
  if (user.OpenAppKey(TheContext().AppName.c_str())) user.WriteString("ImageFilename", path.c_str());
  if (OnTheSource(path)) {
    Tell(LoadText(kTextImageOnSource));
    return;
  }

  ProgressDlg progress(step_.Handle());
  if (!progress.Create()) {
    Tell(LoadText(kTextProgressNotShown));
    return;
  }
  Window* main = TheContext().mainWindow;
  step_.SetBusy(true);
  ImageSaver saver(*media, PlatformImageTarget());
  const ImageSaveResult result = saver.Save(
      WidePath(path),
      [&](uint64_t done, uint64_t total) {
        progress.Update(static_cast<uint32_t>(done), total);
        if (main != nullptr) main->PumpMessages();
      },
      [&] { return progress.Cancelled() || (main != nullptr && main->CloseRequested()); });
  step_.SetBusy(false);
  Report(result, path);
}

// An image is never written onto the card it is made of, nor over the image
// file that is being read.
bool ImageSave::OnTheSource(const std::string& path) const {
  const Media& media = *TheContext().CurrentMedia;
  const std::string full = FullPath(path);
  if (lstrcmpiA(full.c_str(), FullPath(media.sourcePath).c_str()) == 0) return true;
  return FolderOnSourceDevice(ParentPath(full), media.sourcePath);
}

void ImageSave::Report(const ImageSaveResult& result, const std::string& path) const {
  switch (result.outcome) {
    case ImageSaveOutcome::kDone:
      step_.SetStatusText(kTextImageSaved, path, result.sectorsSaved);
      break;
    case ImageSaveOutcome::kCancelled:
      if (result.error != 0) TraceMessage("The cancelled image %s could not be deleted, error %u", path, result.error);
      break;
    case ImageSaveOutcome::kReadFailed:
      Tell(LoadText(kTextImageReadFailed, result.failedSector, SystemText(result.error), path, result.sectorsSaved));
      break;
    case ImageSaveOutcome::kWriteFailed:
      Tell(LoadText(kTextImageWriteFailed, SystemText(result.error), path, result.sectorsSaved));
      break;
    case ImageSaveOutcome::kNotCreated:
      Tell(LoadText(kTextImageFileNotCreated, SystemText(result.error), result.error));
      break;
    case ImageSaveOutcome::kTooLarge:
      Tell(LoadText(kTextImageTooLarge));
      break;
  }
}

void ImageSave::Tell(const std::string& text) const {
  TraceMessage("Image save: %s", text);
  NestedLoop nested;
  MessageBoxA(static_cast<HWND>(TheContext().mainWindowHandle), text.c_str(), TheContext().WindowTitle.c_str(),
              MB_OK | MB_ICONWARNING);
}
