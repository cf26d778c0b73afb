#include "Arguments.h"

#include <sstream>

const char kUsage[] =
    "vantrel-recover [OPTIONS] SOURCE [DEST]\n"
    "  SOURCE  an image file; natively also a block device such as /dev/sdb;\n"
    "          on Windows also a drive letter (E:) or a device name (PhysicalDrive2)\n"
    "  DEST    folder that receives every found file in its folder tree (made if missing);\n"
    "          without DEST nothing is copied and the found files are only listed\n"
    "  --no-deleted                      leave deleted entries out (default: include them)\n"
    "  --intensive=auto|force|suppress   the three states of step 2's intensive-scan box (default auto)\n"
    "  --keep-partial                    keep files that collide or run off the medium\n"
    "  --types=LIST                      built-in type options, any of jpeg,video,avi,mp3,tiff,others (default none)\n"
    "  --dictionary=PATH | --no-dictionary   default: FileIdentify.dict beside the program\n"
    "  --quiet                           no progress on standard error\n";

namespace {

// "--name=value" or a bare "--name" (whose value is then missing).
bool ValueOption(const std::string& arg, const std::string& name, std::string& value) {
  if (arg == name) {
    value.clear();
    return true;
  }
  if (arg.compare(0, name.size() + 1, name + "=") != 0) return false;
  value = arg.substr(name.size() + 1);
  return true;
}

bool ParseIntensive(const std::string& value, RecoverOptions& options, std::string& problem) {
  options.recovery.forceIntensive = value == "force";
  options.recovery.suppressIntensive = value == "suppress";
  if (value == "auto" || options.recovery.forceIntensive || options.recovery.suppressIntensive) return true;
  problem = "--intensive takes auto, force or suppress, not \"" + value + "\"";
  return false;
}

bool ParseTypes(const std::string& list, RecoverOptions& options, std::string& problem) {
  struct Type {
    const char* name;
    bool TypeOptions::*option;
  };
  static const Type kTypes[] = {{"jpeg", &TypeOptions::wantJpeg}, {"video", &TypeOptions::wantVideo},
                                {"avi", &TypeOptions::wantAvi},   {"mp3", &TypeOptions::wantMp3},
                                {"tiff", &TypeOptions::wantTiff}, {"others", &TypeOptions::wantOthers}};
  std::istringstream parts(list);
  std::string part;
  while (std::getline(parts, part, ',')) {
    bool known = false;
    for (const Type& type : kTypes) {
      if (part != type.name) continue;
      options.recovery.types.*type.option = true;
      known = true;
    }
    if (!known) {
      problem = "unknown type \"" + part + "\" in --types (any of jpeg,video,avi,mp3,tiff,others)";
      return false;
    }
  }
  return true;
}

bool ParseOption(const std::string& arg, RecoverOptions& options, std::string& problem) {
  std::string value;
  if (arg == "--no-deleted") {
    options.recovery.includeDeleted = false;
  } else if (arg == "--keep-partial") {
    options.recovery.keepPartial = true;
  } else if (arg == "--quiet") {
    options.quiet = true;
  } else if (arg == "--no-dictionary") {
    options.noDictionary = true;
  } else if (arg == "--help" || arg == "-h") {
    options.help = true;
  } else if (ValueOption(arg, "--intensive", value) || ValueOption(arg, "--types", value) ||
             ValueOption(arg, "--dictionary", value)) {
    const std::string name = arg.substr(0, arg.find('='));
    if (value.empty()) {
      problem = name + " needs a value (" + name + "=...)";
      return false;
    }
    if (name == "--intensive") return ParseIntensive(value, options, problem);
    if (name == "--types") return ParseTypes(value, options, problem);
    options.dictionary = value;
  } else {
    problem = "unknown option " + arg;
    return false;
  }
  return true;
}

}  // namespace

bool ParseArguments(int argc, const char* const* argv, RecoverOptions& options, std::string& problem) {
  int positional = 0;
  bool optionsEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnd && arg == "--") {
      optionsEnd = true;
    } else if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      if (!ParseOption(arg, options, problem)) return false;
    } else if (positional == 0) {
      options.source = arg;
      ++positional;
    } else if (positional == 1) {
      options.destination = arg;
      ++positional;
    } else {
      problem = "too many arguments: " + arg;
      return false;
    }
  }
  if (options.help) return true;
  if (!options.dictionary.empty() && options.noDictionary) {
    problem = "--dictionary and --no-dictionary exclude each other";
    return false;
  }
  if (options.source.empty()) {
    problem = "no SOURCE given";
    return false;
  }
  return true;
}
