#include "ShellTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>

#include "Bitmaps.h"
#include "Context.h"
#include "Media.h"
#include "Recovery.h"
#include "TestFiles.h"

const char kUserKey[] = "Software\\Talvenor\\Vantrel";
const char kMachineKey[] = "SOFTWARE\\Talvenor\\Vantrel";

void PumpFor(DWORD milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

WindowPixels::WindowPixels(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  pixels_.assign(static_cast<std::size_t>(width_) * height_, 0);
  BITMAPINFO info = TopDown32(width_, height_);
  void* bits = nullptr;
  HBITMAP capture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  HGDIOBJ previous = SelectObject(memory, capture);
  BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
  GdiFlush();
  std::memcpy(pixels_.data(), bits, pixels_.size() * sizeof(uint32_t));
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(window, source);
  DeleteObject(capture);
}

COLORREF WindowPixels::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  uint32_t pixel = pixels_[static_cast<std::size_t>(y) * width_ + x];
  return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

int WindowPixels::Count(const RECT& rect, COLORREF colour) const {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      if (At(x, y) == colour) ++count;
  return count;
}

void DeleteKey(HKEY root, const char* path) { SHDeleteKeyA(root, path); }

void SetTextValue(HKEY root, const char* path, const char* name, const std::string& text, DWORD type) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
}

void SetDwordValue(HKEY root, const char* path, const char* name, DWORD value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) return;
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

bool ReadRawText(HKEY root, const char* path, const char* name, std::string& text) {
  char buffer[2048] = {};
  DWORD size = sizeof buffer - 1;
  if (RegGetValueA(root, path, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return false;
  text = buffer;
  return true;
}

bool KeyExists(HKEY root, const char* path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string ProgramFolderFile(const char* name) {
  char executable[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  std::string folder = executable;
  return folder.substr(0, folder.rfind('\\') + 1) + name;
}

std::string FreshFolder(const char* name) {
  const std::string folder = ProgramFolderFile(name);
  // SHFileOperation wants a double-NUL-ended list.
  std::string list = folder + std::string(1, '\0');
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = list.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationA(&operation);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool CopyBeside(const char* file, const std::string& folder) {
  return CopyFileA(file, (folder + "\\" + file).c_str(), FALSE) != FALSE;
}

bool CopyProgram(const std::string& folder) {
  return CopyBeside("Vantrel.exe", folder) && CopyBeside("PicturePane.dll", folder);
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& folder) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string command = commandLine;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return;
  CloseHandle(process.hThread);
  process_ = process.hProcess;
}

ChildProcess::~ChildProcess() {
  if (process_ == nullptr) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
}

bool ChildProcess::WaitForExit(DWORD milliseconds, DWORD& exitCode) {
  if (process_ == nullptr || WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(process_, &exitCode) != FALSE;
}

HWND WaitForWindow(const char* className, const char* title, DWORD milliseconds) {
  HWND found = nullptr;
  PumpUntil([&] { return (found = FindWindowA(className, title)) != nullptr; }, milliseconds);
  return found;
}

std::string UnixPathOf(const std::string& windowsPath) {
  using UnixNameFunction = char*(__cdecl*)(const WCHAR*);
  HMODULE kernel = GetModuleHandleA("kernel32");
  auto unixName = reinterpret_cast<UnixNameFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")));
  if (unixName == nullptr) return std::string();
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH);
  char* name = unixName(wide);
  if (name == nullptr) return std::string();
  std::string path = name;
  HeapFree(GetProcessHeap(), 0, name);
  return path;
}

bool LaunchUnixCommand(const std::string& commandLine) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::string command = commandLine;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  if (process.hThread != nullptr) CloseHandle(process.hThread);
  if (process.hProcess != nullptr) CloseHandle(process.hProcess);
  return true;
}

namespace {

// ImageMagick may take a while on a loaded machine.
const DWORD kScreenshotTimeMs = 30000;

bool IsCompletePng(const std::string& bytes) {
  static const char kEnd[] = "IEND\xAE\x42\x60\x82";
  return bytes.size() > 1000 && bytes.compare(bytes.size() - 8, 8, kEnd, 8) == 0;
}

}  // namespace

// Wine starts a Unix program without a process handle to wait on, so the
// picture is awaited until its last chunk has been written.
void SaveScreenshot(HWND window, const char* name) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  char executable[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  std::string folder = executable;
  folder = folder.substr(0, folder.rfind('\\')) + "\\..\\screenshots";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string path = folder + "\\" + name;
  DeleteFileA(path.c_str());
  std::string target = UnixPathOf(path);
  ASSERT_FALSE(target.empty()) << "screenshots are taken under Wine";
  char geometry[64] = {};
  wsprintfA(geometry, "%ldx%ld+%ld+%ld", rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top);
  ASSERT_TRUE(LaunchUnixCommand(std::string("/usr/bin/import -window root -crop ") + geometry + " +repage " + target));
  EXPECT_TRUE(PumpUntil([&] { return IsCompletePng(ReadWholeFile(path)); }, kScreenshotTimeMs)) << path;
}

WizardSources::WizardSources() {
  const std::string image = FreshFolder("wizard-sources") + "\\card.img";
  HANDLE file = CreateFileA(image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    static const char kSectors[4096] = {};
    DWORD written = 0;
    WriteFile(file, kSectors, sizeof kSectors, &written, nullptr);
    CloseHandle(file);
  }
  media_ = std::make_unique<Media>();
  EXPECT_TRUE(media_->OpenImage(image));
  recovery_ = std::make_unique<Recovery>(*media_, nullptr);
  TheContext().CurrentMedia = media_.get();
  TheContext().CurrentRecovery = recovery_.get();
}

WizardSources::~WizardSources() {
  TheContext().CurrentRecovery = nullptr;
  TheContext().CurrentMedia = nullptr;
}

void PrepareForTheMainWindow() {
  DeleteKey(HKEY_CURRENT_USER, kUserKey);
  DeleteKey(HKEY_LOCAL_MACHINE, kMachineKey);
  TheContext().ownInstance = GetModuleHandleA(nullptr);
  TheContext().WindowTitle = "Vantrel";
  TheContext().AppName = "Vantrel";
  TheContext().WebsiteText = "https://www.talvenor.com/vantrel";
  TheContext().vistaOrLater = true;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  LoadLibraryA("RICHED20.DLL");
}
