// What vantrel-recover asks of the platform: how a SOURCE argument is
// opened, where the program lies, absolute paths, the language texts and
// whether standard error is a terminal. ToolPlatform_win32.cpp and
// ToolPlatform_portable.cpp answer.
#pragma once

#include <cstdio>
#include <string>

class Media;

// Opens source with media: natively a block device (or a link to one) as a
// device, anything else as an image file; on Windows "E:" as a drive,
// "PhysicalDrive2" or "\\.\NAME" as a device, anything else as an image
// file. devicePath: the device path opened ("\\.\E:"), empty for an image.
bool OpenSource(Media& media, const std::string& source, std::string& devicePath);

// The folder of the running program, ending in the separator.
std::string ProgramFolder();

// path made absolute against the current folder.
std::string AbsolutePath(const std::string& path);

// Makes the language texts available (the Windows build loads 1033.DLL
// beside the program); false when they cannot be.
bool LoadLanguageTexts();

bool IsTerminal(std::FILE* stream);
