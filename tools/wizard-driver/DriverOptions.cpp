#include "DriverOptions.h"

#include <cstring>

const char kDriverUsage[] =
    "Usage: wizard-driver [OPTIONS] IMAGE DEST [SHOTS]\n"
    "Starts Vantrel.exe and goes through its four steps as a user would:\n"
    "opens the card image IMAGE, searches it with the default options, ticks\n"
    "every found file and copies them into the folder DEST; saves a BMP of\n"
    "each step into the folder SHOTS. Paths are Windows paths.\n"
    "  --program=PATH         the program (default: Vantrel.exe beside the driver)\n"
    "  --run-timeout=SECONDS  how long the search may take (default 1800)\n"
    "  --copy-timeout=SECONDS how long the copy may take (default 1800)\n"
    "  --step-timeout=SECONDS how long any other step may take (default 60)\n"
    "Exit status: 0 every file was copied; 1 the wizard did not get there;\n"
    "2 bad arguments.\n";

namespace {

// A day at most: a longer wait is a typing error, not a large card.
constexpr unsigned kLongestTimeout = 86400;

bool StartsWith(const char* text, const char* prefix) { return std::strncmp(text, prefix, std::strlen(prefix)) == 0; }

// Plain decimal digits only, from 1 to a day.
bool ParseSeconds(const char* text, unsigned& seconds) {
  if (*text == '\0') return false;
  unsigned long value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + static_cast<unsigned>(*c - '0');
    if (value > kLongestTimeout) return false;
  }
  if (value == 0) return false;
  seconds = static_cast<unsigned>(value);
  return true;
}

struct TimeoutOption {
  const char* name;
  unsigned DriverOptions::*field;
};

const TimeoutOption kTimeouts[] = {
    {"--run-timeout=", &DriverOptions::runTimeoutSeconds},
    {"--copy-timeout=", &DriverOptions::copyTimeoutSeconds},
    {"--step-timeout=", &DriverOptions::stepTimeoutSeconds},
};

// 1: taken; 0: not a timeout option; -1: a timeout option with a bad value.
int TakeTimeout(const char* argument, DriverOptions& options, std::string& problem) {
  for (const TimeoutOption& timeout : kTimeouts) {
    if (!StartsWith(argument, timeout.name)) continue;
    if (ParseSeconds(argument + std::strlen(timeout.name), options.*timeout.field)) return 1;
    problem = std::string("not a number of seconds from 1 to 86400: ") + argument;
    return -1;
  }
  return 0;
}

}  // namespace

bool ParseDriverArguments(int argc, const char* const* argv, DriverOptions& options, std::string& problem) {
  std::string* positional[] = {&options.image, &options.destination, &options.shots};
  std::size_t given = 0;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (argument == nullptr) continue;
    if (!optionsEnd && argument[0] == '-' && argument[1] == '-') {
      if (std::strcmp(argument, "--") == 0) {
        optionsEnd = true;
        continue;
      }
      if (std::strcmp(argument, "--help") == 0) {
        options.help = true;
        return true;
      }
      if (StartsWith(argument, "--program=")) {
        options.program = argument + std::strlen("--program=");
        if (options.program.empty()) {
          problem = "--program needs a path";
          return false;
        }
        continue;
      }
      const int taken = TakeTimeout(argument, options, problem);
      if (taken < 0) return false;
      if (taken > 0) continue;
      problem = std::string("unknown option: ") + argument;
      return false;
    }
    if (given == sizeof positional / sizeof positional[0]) {
      problem = std::string("too many arguments: ") + argument;
      return false;
    }
    if (*argument == '\0') {
      problem = "an empty path";
      return false;
    }
    *positional[given++] = argument;
  }
  if (given < 2) {
    problem = "IMAGE and DEST are needed";
    return false;
  }
  return true;
}
