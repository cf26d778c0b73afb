// The open and save dialogs for card image files, shared by step 1 (open an
// image) and step 2 (save one): both start in the folder of the last image
// ("ImageFilename"), else in the documents folder, and show *.IMG files.
#pragma once

#include <string>

enum class ImageFileChoice { kOpen, kSave };

// path: the chosen full path; false when the user cancelled or the dialog
// failed. The setting is not written here.
bool AskForImageFile(ImageFileChoice choice, std::string& path);
