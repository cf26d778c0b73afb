// wizard-driver: Vantrel's wizard from the first step to the copy, driven
// through window messages as a user would click and type.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "DriverOptions.h"
#include "Wizard.h"

namespace {

constexpr DWORD kCloseMs = 15000;

bool Drive(Wizard& wizard, std::string& problem) {
  return StartProgram(wizard, problem) && ChooseImage(wizard, problem) && KeepDefaults(wizard, problem) &&
         AwaitSearch(wizard, problem) && CopyEverything(wizard, problem);
}

}  // namespace

int main(int argc, char** argv) {
  DriverOptions options;
  std::string problem;
  if (!ParseDriverArguments(argc, argv, options, problem)) {
    std::fprintf(stderr, "wizard-driver: %s\n%s", problem.c_str(), kDriverUsage);
    return 2;
  }
  if (options.help) {
    std::fputs(kDriverUsage, stdout);
    return 0;
  }
  // Plain lines for the shell that reads them, each as soon as it is said.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  // One folder level is made, as the shell does for DEST; a deeper path
  // that is missing shows as shots not saved.
  if (!options.shots.empty()) CreateDirectoryA(options.shots.c_str(), nullptr);
  Wizard wizard(options);
  const bool copied = Drive(wizard, problem);
  if (!copied) {
    // What the program showed when it got stuck, for whoever reads the error.
    if (wizard.MainWindow() != nullptr && wizard.Program().Running()) wizard.Shot("stuck");
    else if (wizard.MainWindow() != nullptr) problem += " (Vantrel.exe had ended)";
    std::fprintf(stderr, "wizard-driver: %s\n", problem.c_str());
  }
  wizard.Program().Close(wizard.MainWindow(), kCloseMs);
  return copied ? 0 : 1;
}
