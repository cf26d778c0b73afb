// Cameras that film store the picture of a clip in a file of its own beside
// the video: MVI_0001.THM (a small JPEG) beside MVI_0001.AVI. A recovered
// video does not carry its file name, but a camera's AVI carries the clip's
// name as its title (the "INAM" entry of the RIFF INFO list); the picture's
// file is that name with the extension THM.
#pragma once

#include <string>

#include "SectorWindow.h"

// The related picture's name in the padded 8.3 form "NNNNNNNN.EEE" (the stem
// upper-cased and padded with blanks to 8 characters), or empty when the data
// is not an AVI or its title is no 8.3 file stem.
std::string RelatedPictureName(const SectorWindow& data);
