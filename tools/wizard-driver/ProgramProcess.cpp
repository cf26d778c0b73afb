#include "ProgramProcess.h"

ProgramProcess::~ProgramProcess() {
  // A program left behind by a driver that gave up would hold its wineserver.
  if (Running()) TerminateProcess(process_, 1);
  if (process_ != nullptr) CloseHandle(process_);
}

bool ProgramProcess::Start(const std::string& program) {
  if (process_ != nullptr) return false;
  std::string commandLine = "\"" + program + "\"";
  const std::string folder = FolderOf(program);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &started))
    return false;
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  id_ = started.dwProcessId;
  return true;
}

bool ProgramProcess::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void ProgramProcess::Close(HWND window, DWORD milliseconds) {
  if (!Running()) return;
  if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_, milliseconds) != WAIT_OBJECT_0) TerminateProcess(process_, 1);
}

std::string FolderOf(const std::string& program) {
  const std::size_t slash = program.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : program.substr(0, slash);
}

std::string BesideDriver(const char* name) {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  // A path cut at MAX_PATH names some other folder.
  if (length == 0 || length >= MAX_PATH) return std::string();
  const std::string folder = FolderOf(path);
  return folder.empty() ? std::string(name) : folder + "\\" + name;
}
