// Prints how long step 4 takes to show the 20,000 files of the sample
// many.img (the step's window made and its list filled) and to sort them
// by each column, both ways, on the real main window under Wine. The test
// command runs it from bin/ for its figures; it fails only when the card
// cannot be searched or the list is not full.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "Context.h"
#include "CopyFiles.h"
#include "Media.h"
#include "Recovery.h"
#include "ShellTestSupport.h"
#include "Window.h"

namespace {

constexpr int kFiles = 20000;

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

bool SearchCard(const std::string& path) {
  TheContext().CurrentMedia = new Media();
  if (!TheContext().CurrentMedia->OpenImage(path)) return false;
  TheContext().CurrentRecovery = new Recovery(*TheContext().CurrentMedia, nullptr);
  Recovery& run = *TheContext().CurrentRecovery;
  if (!run.start()) return false;
  run.startEvent.set();
  run.waitUntilFinished();
  uint64_t bytes = 0;
  std::printf("the search found %u files on %s\n", Recovery::countFiles(run.root, bytes), path.c_str());
  return true;
}

}  // namespace

int main() {
  PrepareForTheMainWindow();
  TheContext().LanguageModule = LoadLibraryA("1033.DLL");
  const std::string card = ProgramFolderFile("..\\samples\\many.img");
  if (!SearchCard(card)) {
    std::fprintf(stderr, "copyfiles_bench: cannot search %s\n", card.c_str());
    return 1;
  }
  auto window = std::make_unique<Window>();
  if (!window->CreateMainWindow()) return 1;
  PumpFor(200);

  const LARGE_INTEGER before = Now();
  SendMessageA(window->Handle(), WM_COMMAND, 2004, 0);
  const LARGE_INTEGER shown = Now();
  auto* step = dynamic_cast<CopyFiles*>(window->CurrentStep());
  const int items = step == nullptr ? 0
                                    : static_cast<int>(SendDlgItemMessageA(step->Handle(), CopyFiles::kFileList,
                                                                           LVM_GETITEMCOUNT, 0, 0));
  std::printf("step 4 with %d files: shown and filled in %.3f s (goal 1 s)\n", items, Seconds(before, shown));
  if (items != kFiles) {
    std::fprintf(stderr, "copyfiles_bench: the list holds %d files, not %d\n", items, kFiles);
    return 1;
  }
  const char* const columns[] = {"name", "size", "state"};
  for (int column = 0; column < CopyFiles::kColumnCount; ++column) {
    for (const char* order : {"ascending", "descending"}) {
      const LARGE_INTEGER start = Now();
      step->SortByColumn(column);
      std::printf("sort by %s, %s: %.3f s (goal 0.2 s)\n", columns[column], order, Seconds(start, Now()));
    }
  }
  window.reset();
  delete TheContext().CurrentRecovery;
  delete TheContext().CurrentMedia;
  return 0;
}
