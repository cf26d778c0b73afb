// The command line of wizard-driver: which program to start, the card image,
// the destination, the screenshot folder and how long each wait may take.
#pragma once

#include <string>

struct DriverOptions {
  std::string program;      // empty: Vantrel.exe beside the driver
  std::string image;        // Windows paths, as the dialogs take them
  std::string destination;
  std::string shots;        // empty: no screenshots
  // A search of a large card takes minutes; a step switch takes seconds.
  unsigned runTimeoutSeconds = 1800;
  unsigned copyTimeoutSeconds = 1800;
  unsigned stepTimeoutSeconds = 60;
  bool help = false;
};

extern const char kDriverUsage[];

// False with problem set to what is wrong, in a few words.
bool ParseDriverArguments(int argc, const char* const* argv, DriverOptions& options, std::string& problem);
