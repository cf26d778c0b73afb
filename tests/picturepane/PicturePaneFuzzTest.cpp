// Mutated pictures of every format through LoadPicture and Display, as
// damaged cards give them: flipped bytes, overwritten runs, cuts and
// inserted garbage. The suite passes when the process survives; bounded
// in count and time, so that it fits the Wine run.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "PaneTestSupport.h"
#include "PicturePane.h"

namespace {

constexpr int kMutations = 3000;
constexpr DWORD kTimeBudgetMs = 120000;

std::string Mutated(const std::string& seed, std::mt19937& random) {
  std::string bytes = seed;
  const int edits = 1 + static_cast<int>(random() % 8);
  for (int edit = 0; edit < edits && !bytes.empty(); ++edit) {
    const std::size_t at = random() % bytes.size();
    switch (random() % 4) {
      case 0: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8))); break;
      case 1: bytes.replace(at, std::min<std::size_t>(bytes.size() - at, 1 + random() % 16), 1 + random() % 16, static_cast<char>(random())); break;
      case 2: bytes.resize(at + 1); break;
      default: bytes.insert(at, 1 + random() % 32, static_cast<char>(random())); break;
    }
  }
  return bytes;
}

TEST(PicturePaneFuzzTest, MutatedPicturesNeverCrashTheLibrary) {
  std::vector<std::string> seeds;
  for (const char* name : {"pane-64x32.jpg", "pane-progressive.jpg", "pane-portrait.jpg", "pane.bmp", "pane.gif",
                           "pane-ii.tif", "pane-mm.tif", "pane-alpha.png", "pane-clip.avi"}) {
    seeds.push_back(Sample(name));
    ASSERT_FALSE(seeds.back().empty()) << name;
  }
  std::mt19937 random(19);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP target = CreateCompatibleBitmap(dc, 64, 64);
  HGDIOBJ old = SelectObject(dc, target);
  const DWORD start = GetTickCount();
  int loaded = 0, done = 0;
  for (; done < kMutations && GetTickCount() - start < kTimeBudgetMs; ++done) {
    const std::string bytes = Mutated(seeds[done % seeds.size()], random);
    PicturePane pane;
    pane.SetRelatedFileOption(static_cast<uint8_t>(done & 1));
    if (!pane.LoadPicture(bytes.data(), static_cast<uint32_t>(bytes.size()), true)) {
      EXPECT_EQ(pane.Width(), 0);
      continue;
    }
    ++loaded;
    EXPECT_GT(pane.Width(), 0);
    EXPECT_GT(pane.Height(), 0);
    pane.Display(dc, 0, 0, 64, 64, 0, 0, -1, -1);
  }
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  std::printf("%d mutated pictures, %d of them shown, in %lu ms\n", done, loaded,
              static_cast<unsigned long>(GetTickCount() - start));
  EXPECT_GE(done, 500);
}

}  // namespace
