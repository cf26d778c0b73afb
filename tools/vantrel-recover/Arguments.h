// The command line of vantrel-recover.
#pragma once

#include <string>

#include "RecoveryOptions.h"

// The run's own options are those the wizard sets, except that deleted
// entries are included unless --no-deleted; --types with none set lets the
// run look for all but TIFF.
inline RecoveryOptions ToolRecoveryDefaults() {
  RecoveryOptions options;
  options.includeDeleted = true;
  return options;
}

struct RecoverOptions {
  std::string source;
  std::string destination;  // empty: list only
  RecoveryOptions recovery = ToolRecoveryDefaults();
  std::string dictionary;  // empty: FileIdentify.dict beside the program
  bool noDictionary = false;
  bool quiet = false;
  bool help = false;
};

extern const char kUsage[];

// False with problem set to what is wrong, in a few words.
bool ParseArguments(int argc, const char* const* argv, RecoverOptions& options, std::string& problem);
