// File helpers for tests, on both builds.
#pragma once

#include <string>

std::string ReadWholeFile(const std::string& path);
bool FileExists(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
void RemoveFile(const std::string& path);

// Points the user's documents folder at a scratch folder of this test process
// (natively a fresh temporary folder; under Wine the prefix in the build tree
// already is one).
void UseScratchDocumentsFolder();
