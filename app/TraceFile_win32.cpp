#include <windows.h>

#include "TraceFile.h"

void EnsureTraceFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(folder.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    FindClose(search);
    return;
  }
  CreateDirectoryA(folder.c_str(), nullptr);
}

void AppendToTraceFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFilePointer(file, 0, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void RotateTraceFile(const std::string& current, const std::string& previous) {
  DeleteFileA(previous.c_str());
  MoveFileA(current.c_str(), previous.c_str());
}
