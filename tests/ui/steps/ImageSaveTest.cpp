// Saving an image of the card from step 2 while the card is slow or fails:
// every way of cancelling a running save leaves no file, and a sector that
// cannot be read is named with what the image keeps.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Context.h"
#include "Media.h"
#include "MemoryDevice.h"
#include "RecoveryParms.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "TestFiles.h"
#include "TextIds.h"
#include "Texts.h"

namespace {

constexpr uint32_t kSectors = 16384;  // 8 MiB

class ImageSaveTest : public StepStage {
 protected:
  // A card in memory, made the current source, and step 2 over it.
  std::shared_ptr<MemoryMedium> ShowStep2With(const std::string& name) {
    std::vector<uint8_t> bytes(kSectors * 512);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i / 512 + i);
    auto medium = devices_.Add(name, bytes);
    delete TheContext().CurrentMedia;
    TheContext().CurrentMedia = new Media(&devices_);
    EXPECT_TRUE(TheContext().CurrentMedia->OpenImage(name));
    SendMessageA(Main().Handle(), WM_COMMAND, 2002, 0);
    EXPECT_EQ(Main().StepNumber(), 2);
    return medium;
  }
  int Save(const std::vector<DialogAnswer>& answers) {
    return AnswerDialogsWhileTheyRun(answers, [this] { Click(RecoveryParms::kSaveImage); }, 20000);
  }

  MemoryDeviceOpener devices_;
};

// A card reader of 4 MB/s: the 8 MiB card takes two seconds.
void MakeSlow(MemoryMedium& medium) {
  medium.latencyMicroseconds = 500;
  medium.bytesPerSecond = 4'000'000;
  medium.waitForModelledTime = true;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

TEST_F(ImageSaveTest, EveryWayOfCancellingARunningSaveLeavesNoFile) {
  const auto key = [](WPARAM code) {
    return [code](HWND window) { PostMessageA(GetFocus() != nullptr ? GetFocus() : window, WM_KEYDOWN, code, 1); };
  };
  const std::vector<std::pair<const char*, std::function<void(HWND)>>> cancels = {
      {"close box", [](HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Esc", key(VK_ESCAPE)},
      {"Cancel", [](HWND window) { PostMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0); }},
  };
  const std::string folder = FreshFolder("step2-cancelled");
  for (const auto& [how, cancel] : cancels) {
    auto medium = ShowStep2With(std::string("slow-") + how + ".img");
    MakeSlow(*medium);
    const std::string image = folder + "\\" + how + ".IMG";
    const DWORD started = GetTickCount();
    EXPECT_EQ(Save({SaveAs(image), {"Saving the card image", cancel}}), 2) << how;
    EXPECT_LT(GetTickCount() - started, 1500u) << how << ": the save ran on after the cancel";
    PumpFor(100);
    EXPECT_FALSE(Exists(image)) << how;
    EXPECT_EQ(Main().StepNumber(), 2) << how;
    EXPECT_TRUE(IsWindowEnabled(Control(RecoveryParms::kNext))) << how;
  }
}

// Sector 5000 fails every read: the user is told which sector and why, and
// the image keeps exactly the sectors before it.
TEST_F(ImageSaveTest, AnUnreadableSectorIsNamedAndTheImageKeepsWhatCameBefore) {
  auto medium = ShowStep2With("failing.img");
  medium->FailSector(5000, 23);
  const std::string image = FreshFolder("step2-failing") + "\\failing.IMG";
  std::string told;
  ASSERT_EQ(Save({SaveAs(image), ReadMessage(told)}), 2);
  EXPECT_EQ(told.rfind("Sector 5000 of the card could not be read: ", 0), 0u) << told;
  EXPECT_NE(told.find("keeps the 5000 sectors before it"), std::string::npos) << told;
  const std::string saved = ReadWholeFile(image);
  ASSERT_EQ(saved.size(), 5000u * 512);
  EXPECT_EQ(static_cast<uint8_t>(saved[4999 * 512 + 7]), static_cast<uint8_t>(4999 + 4999 * 512 + 7));
  EXPECT_EQ(Main().StepNumber(), 2);
}
