// Vantrel.exe as a process the driver started: started in its own folder,
// asked to close at the end and ended if it does not.
#pragma once

#include <windows.h>

#include <string>

class ProgramProcess {
 public:
  ProgramProcess() = default;
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  // False when it could not be started.
  bool Start(const std::string& program);
  DWORD Id() const { return id_; }
  bool Running() const;
  // WM_CLOSE to window, then up to milliseconds for the exit; ended after that.
  void Close(HWND window, DWORD milliseconds);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

// program's folder: everything up to its last backslash or slash; empty
// when it has none.
std::string FolderOf(const std::string& program);
// The path of name beside the running driver.
std::string BesideDriver(const char* name);
