// Helpers of the user-interface suites: pumping messages, reading what a
// window shows, the program's settings keys, and Vantrel.exe as a process.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Handles this thread's messages for the given time.
void PumpFor(DWORD milliseconds);
// Handles messages until the condition holds or the time is up.
bool PumpUntil(const std::function<bool()>& condition, DWORD milliseconds);

// What a window shows, read from its own device context.
class WindowPixels {
 public:
  explicit WindowPixels(HWND window);
  COLORREF At(int x, int y) const;
  // How many pixels of the rectangle have exactly this colour.
  int Count(const RECT& rect, COLORREF colour) const;
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  int width_ = 0, height_ = 0;
  std::vector<uint32_t> pixels_;
};

// The per-user and machine-wide keys of the program, removed and written
// directly, past CRegistry.
void DeleteKey(HKEY root, const char* path);
void SetTextValue(HKEY root, const char* path, const char* name, const std::string& text, DWORD type = REG_SZ);
void SetDwordValue(HKEY root, const char* path, const char* name, DWORD value);
bool ReadRawText(HKEY root, const char* path, const char* name, std::string& text);
bool KeyExists(HKEY root, const char* path);

extern const char kUserKey[];     // Software\Talvenor\Vantrel under HKEY_CURRENT_USER
extern const char kMachineKey[];  // SOFTWARE\Talvenor\Vantrel under HKEY_LOCAL_MACHINE

// A folder beside the test executable, made empty.
std::string FreshFolder(const char* name);
// The path of name in the folder of the test executable, whatever the
// current folder is.
std::string ProgramFolderFile(const char* name);
bool CopyBeside(const char* file, const std::string& folder);
// Vantrel.exe and the picture library it cannot start without.
bool CopyProgram(const std::string& folder);

// A started program; the destructor ends it if it still runs.
class ChildProcess {
 public:
  explicit ChildProcess(const std::string& commandLine, const std::string& folder = std::string());
  ~ChildProcess();
  bool Started() const { return process_ != nullptr; }
  // False when it has not ended within the time.
  bool WaitForExit(DWORD milliseconds, DWORD& exitCode);

 private:
  HANDLE process_ = nullptr;
};

// Starts a Unix program from Wine (given by its absolute path); Wine gives
// no handle to wait on.
bool LaunchUnixCommand(const std::string& commandLine);

// The top-level window of a class and title, looked for until the time is up.
HWND WaitForWindow(const char* className, const char* title, DWORD milliseconds);

// Saves what the display shows of the window as build/windows/screenshots/
// NAME (a PNG, with ImageMagick); a failed test when that does not work.
void SaveScreenshot(HWND window, const char* name);

// What start-up sets before the main window is made, with empty settings:
// the context's names, common controls and rich edit.
void PrepareForTheMainWindow();

class Media;
class Recovery;

// What the later wizard steps need, made for a test that switches to them: an
// open image file as the current source and a recovery worker (not started)
// as the current recovery, both taken away again at the end.
class WizardSources {
 public:
  WizardSources();
  ~WizardSources();

 private:
  std::unique_ptr<Media> media_;
  std::unique_ptr<Recovery> recovery_;
};

// The Unix path of a Windows path under Wine; empty elsewhere.
std::string UnixPathOf(const std::string& windowsPath);
