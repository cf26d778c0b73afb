// The names found files get in the destination. Names read from the medium
// are hostile: a name must never lead out of its folder, onto a device or
// to a name the file system silently changes. The lists keep showing the
// names as the medium holds them; only the copies get these.
#pragma once

#include <string>

// One path part made safe on every file system the copy may write to:
// separators, ":", the characters Windows refuses or takes as wildcards
// ("*?\"<>|") and control characters become "_", and so do trailing dots and
// blanks (which Windows drops, so that ".." stays no way up); a reserved
// device name (CON, NUL, COM1, LPT1, ... with or without extension) gets "_"
// after its name part; an empty name becomes "_".
std::u16string SafeName(const std::u16string& name);

// "NAME (n).EXT": the number goes before the last dot of the name; a name
// without extension (or a dot only in front) takes it at its end.
std::u16string NumberedName(const std::u16string& name, unsigned number);

// The form in which two target paths count as the same file: FAT and Windows
// do not tell upper and lower case apart.
std::u16string NameKey(const std::u16string& path);
