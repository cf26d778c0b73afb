// Texts of the language module by id.
#pragma once

#include <cstddef>
#include <string>

#include "Format.h"

// Longest template that LoadText takes (the 1024-character buffer of the
// platform's string loader, less its terminator).
constexpr std::size_t kTextTemplateLimit = 1023;

std::string LoadTextWith(unsigned id, const FormatArg* args, std::size_t count);

// The language text of id formatted with the values; empty for a missing id.
template <typename... Args>
std::string LoadText(unsigned id, const Args&... args) {
  const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
  return LoadTextWith(id, list, sizeof...(Args));
}

// The text of id with every "!" turned into a NUL: the double-NUL-ended filter
// list of the open and save dialogs. Points into one shared buffer of 100
// characters that each call overwrites.
const char* LoadFilterText(unsigned id);
