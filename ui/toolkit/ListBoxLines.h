// The texts of a list box, read safely: a row that vanishes or a length the
// list box refuses gives an empty text, never a read past a buffer.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

// The text of one row; empty for a row that is not there.
std::string ListBoxLine(HWND list, UINT row);

// The rows as they stand now, up to maxBytes of text in all: a list that
// grows meanwhile (a worker adding lines) gives the rows of this moment.
std::vector<std::string> ListBoxLines(HWND list, std::size_t maxBytes);
