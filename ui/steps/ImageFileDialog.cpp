#include "ImageFileDialog.h"

#include <windows.h>

#include <commdlg.h>

#include "CRegistry.h"
#include "Context.h"
#include "System.h"
#include "TextIds.h"
#include "Texts.h"
#include "Utilities.h"
#include "Window.h"

namespace {

constexpr std::size_t kPathCharacters = 260;
constexpr std::size_t kPattern = 7;  // "\*.IMG" and the NUL

// The folder of the last image, when it is still there and its name fits,
// else the documents folder.
std::string StartFolder() {
  CRegistry user;
  std::string last;
  if (user.OpenAppKey(TheContext().AppName.c_str())) last = user.ReadString("ImageFilename", "");
  std::string folder = last.empty() ? std::string() : ParentPath(last);
  const DWORD attributes = folder.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(folder.c_str());
  if (folder.size() + kPattern >= kPathCharacters || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    folder = GetSpecialFolder(kFolderPersonal);
  if (folder.size() + kPattern >= kPathCharacters) folder.clear();
  return folder;
}

}  // namespace

bool AskForImageFile(ImageFileChoice choice, std::string& path) {
  char name[kPathCharacters] = {};
  std::string start = StartFolder();
  if (!start.empty() && start.back() != '\\') start += '\\';
  start += "*.IMG";
  start.copy(name, sizeof name - 1);

  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(TheContext().mainWindowHandle);
  dialog.lpstrFilter = LoadFilterText(kTextImageFileFilter);
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrDefExt = "IMG";
  // The current folder stays where it was: the program and its traces never
  // depend on the folder the user browsed to.
  dialog.Flags = OFN_NOCHANGEDIR | (choice == ImageFileChoice::kOpen
                                        ? OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
                                        : OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST);
  BOOL chosen = FALSE;
  {
    NestedLoop nested;
    chosen = choice == ImageFileChoice::kOpen ? GetOpenFileNameA(&dialog) : GetSaveFileNameA(&dialog);
  }
  if (!chosen) {
    CommDlgExtendedError();
    return false;
  }
  path = name;
  return true;
}
