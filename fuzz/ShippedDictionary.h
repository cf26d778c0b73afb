// The shipped FileIdentify.dict, loaded from beside the fuzz target; the
// target aborts when it is missing or broken, since every run would be void.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TypeDB.h"

inline TypeDB* LoadShippedDictionary(const char* program) {
  std::string path = program;
  std::size_t slash = path.rfind('/');
  path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "FileIdentify.dict";
  TypeDB* dictionary = new TypeDB;
  if (!dictionary->Load(path)) {
    std::fprintf(stderr, "%s", dictionary->ErrorText());
    std::abort();
  }
  return dictionary;
}
