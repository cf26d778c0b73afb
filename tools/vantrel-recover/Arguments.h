// The command line of vantrel-recover.
#pragma once

#include <string>

struct RecoverOptions {
  std::string source;
  std::string destination;  // empty: list only
  bool includeDeleted = true;
  bool forceIntensive = false;
  bool suppressIntensive = false;
  bool keepPartial = false;
  bool wantJpeg = false;
  bool wantVideo = false;
  bool wantAvi = false;
  bool wantMp3 = false;
  bool wantTiff = false;
  bool wantOthers = false;
  std::string dictionary;  // empty: FileIdentify.dict beside the program
  bool noDictionary = false;
  bool quiet = false;
  bool help = false;
};

extern const char kUsage[];

// False with problem set to what is wrong, in a few words.
bool ParseArguments(int argc, const char* const* argv, RecoverOptions& options, std::string& problem);
