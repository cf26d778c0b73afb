// An 8.3 form of an exFAT file's UTF-16 name, for the record's short name:
// the extension tests, the lists and a deleted-folder lookup read it as they
// read a FAT entry's name. The long name stays what the user sees.
#pragma once

#include <string>

// 11 characters, blank-padded: up to 8 of the name before its last dot, up
// to 3 after it, in upper case; characters a short name cannot hold become
// "_", blanks and further dots are left out, and a name that had to be cut
// or changed ends in "~1" as Windows forms it.
std::string ExfatShortName(const std::u16string& name);
