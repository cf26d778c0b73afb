// Whether a destination folder lies on the device being recovered, judged
// by device and volume identity rather than by comparing paths (a card may
// be mounted anywhere, a drive letter may be a folder of another drive).
// Nothing is ever written onto the source.
#pragma once

#include <string>

// sourcePath: what the sector source opened: "\\.\E:" or "\\.\PhysicalDrive2"
// on Windows, "\\.\sdb" or "\\.\/dev/sdb" natively (or a block device's
// path); anything else is an image file, which is never the device. The
// folder need not exist yet: its nearest existing ancestor decides. False
// also when the identities cannot be learnt (a network share, say).
bool FolderOnSourceDevice(const std::string& folder, const std::string& sourcePath);
