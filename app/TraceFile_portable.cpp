#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "TraceFile.h"

void EnsureTraceFolder(const std::string& folder) {
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return;
  // A fresh Linux account may have no documents folder yet: make it too.
  std::size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0) mkdir(folder.substr(0, slash).c_str(), 0755);
  mkdir(folder.c_str(), 0755);
}

void AppendToTraceFile(const std::string& path, const std::string& bytes) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t written = write(fd, bytes.data(), bytes.size());
  (void)written;  // a lost line is not reported
  close(fd);
}

void RotateTraceFile(const std::string& current, const std::string& previous) {
  std::remove(previous.c_str());
  std::rename(current.c_str(), previous.c_str());
}
