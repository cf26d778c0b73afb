// The file operations of the trace. Windows (TraceFile_win32.cpp) opens the
// file for each write with read sharing only, so a write that collides with
// another thread's is dropped; natively (TraceFile_portable.cpp) each write is
// one O_APPEND call. Every failure is silent: the line is lost, nothing else.
#pragma once

#include <string>

// Creates the folder when nothing of that name exists.
void EnsureTraceFolder(const std::string& folder);

// Appends bytes at the end of the file, creating it when missing.
void AppendToTraceFile(const std::string& path, const std::string& bytes);

// Deletes previous, then renames current to previous.
void RotateTraceFile(const std::string& current, const std::string& previous);
