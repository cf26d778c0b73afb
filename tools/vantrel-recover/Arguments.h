// The command line of vantrel-recover.
#pragma once

#include <string>

#include "Identify.h"

struct RecoverOptions {
  std::string source;
  std::string destination;  // empty: list only
  bool includeDeleted = true;
  bool forceIntensive = false;
  bool suppressIntensive = false;
  bool keepPartial = false;
  TypeOptions types;       // --types: none set lets the run look for all but TIFF
  std::string dictionary;  // empty: FileIdentify.dict beside the program
  bool noDictionary = false;
  bool quiet = false;
  bool help = false;
};

extern const char kUsage[];

// False with problem set to what is wrong, in a few words.
bool ParseArguments(int argc, const char* const* argv, RecoverOptions& options, std::string& problem);
