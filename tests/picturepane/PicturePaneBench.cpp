// Prints how long LoadPicture and Display take for a 24-megapixel photo
// (the sample pane-24mp.jpg) and how much memory the process needed at its
// peak beyond what it had before (under Wine the decoders run on the Unix
// side, which these counters do not see: measure the process with
// /usr/bin/time -v there). Run by hand under Wine from bin/; it
// times nothing for a suite.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "PicturePane.h"
#include "TestFiles.h"

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

SIZE_T PeakPrivateBytes() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? counters.PeakPagefileUsage : 0;
}

}  // namespace

int main() {
  const std::string photo = ReadWholeFile("../samples/pane-24mp.jpg");
  if (photo.empty()) {
    std::printf("../samples/pane-24mp.jpg is missing (scripts/make-samples.sh)\n");
    return 1;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateCompatibleBitmap(dc, 1024, 768);
  HGDIOBJ old = SelectObject(dc, target);
  const SIZE_T before = PeakPrivateBytes();
  for (int run = 1; run <= 3; ++run) {
    LARGE_INTEGER start, loaded, drawn;
    QueryPerformanceCounter(&start);
    PicturePane pane;
    const bool ok = pane.LoadPicture(photo.data(), static_cast<uint32_t>(photo.size()), true);
    QueryPerformanceCounter(&loaded);
    pane.Display(dc, 0, 0, 1024, 683, 0, 0, -1, -1);
    QueryPerformanceCounter(&drawn);
    std::printf("run %d: %s %ux%u, %zu bytes: LoadPicture %.0f ms, Display 1024x683 %.0f ms, together %.0f ms\n", run,
                ok ? "loaded" : "FAILED", pane.Width(), pane.Height(), photo.size(), Milliseconds(start, loaded),
                Milliseconds(loaded, drawn), Milliseconds(start, drawn));
  }
  std::printf("peak private memory: %.1f MB beyond the %.1f MB before the first load\n",
              static_cast<double>(PeakPrivateBytes() - before) / 1048576.0, static_cast<double>(before) / 1048576.0);
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  return 0;
}
