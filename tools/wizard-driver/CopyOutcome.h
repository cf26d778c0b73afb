// Reads the copy step's status line after a copy: whether it tells of a
// copy, and of how many files.
#pragma once

#include <string>

// True when status begins with a decimal count followed by " file was
// copied to " or " files were copied to " (in German " Datei wurde nach " or
// " Dateien wurden nach ") and a destination; count is then that number.
// Anything else, a count too large for it included, is false.
bool ReadCopiedCount(const std::string& status, unsigned long& count);

// The whole copy succeeded: the status tells of a copy of every listed file.
bool CopyOfEveryFile(const std::string& status, unsigned long listed);
