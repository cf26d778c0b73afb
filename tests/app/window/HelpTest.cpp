// Help through the HTML Help control, located as the program locates it:
// for this suite a stand-in control is registered in the real one's place,
// which records what the program asks of it.
#include <windows.h>

#include <htmlhelp.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Context.h"
#include "FakeHelpControl.h"
#include "HelpLibrary.h"
#include "ShellTestSupport.h"
#include "TestFiles.h"
#include "Window.h"

namespace {

const char kServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
const char kWineControl[] = "%SystemRoot%\\system32\\hhctrl.ocx";

// Registers the stand-in before the first help call of the process (the
// program locates the control once) and puts the real one back afterwards.
class FakeHelpEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CLASSES_ROOT, kServerKey, "", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     &type_, value, &size) == ERROR_SUCCESS &&
        std::string(value).find("FakeHelpControl") == std::string::npos)
      original_ = value;
    char executable[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, executable, MAX_PATH);
    std::string folder = executable;
    SetEnvironmentVariableA("VANTREL_TEST_BIN", folder.substr(0, folder.rfind('\\')).c_str());
    // An expandable path, as Windows registers the real control.
    SetTextValue(HKEY_CLASSES_ROOT, kServerKey, "", "%VANTREL_TEST_BIN%\\FakeHelpControl.dll", REG_EXPAND_SZ);
  }
  void TearDown() override { SetTextValue(HKEY_CLASSES_ROOT, kServerKey, "", original_, type_); }

 private:
  std::string original_ = kWineControl;
  DWORD type_ = REG_EXPAND_SZ;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new FakeHelpEnvironment);

struct Recorder {
  using CountFunction = int (*)();
  using CallFunction = const FakeHelpCall* (*)(int);
  Recorder() {
    HMODULE fake = GetModuleHandleA("FakeHelpControl.dll");
    count = reinterpret_cast<CountFunction>(reinterpret_cast<void*>(GetProcAddress(fake, "FakeHelpCallCount")));
    call = reinterpret_cast<CallFunction>(reinterpret_cast<void*>(GetProcAddress(fake, "FakeHelpCallAt")));
  }
  bool Ready() const { return count != nullptr && call != nullptr; }
  const FakeHelpCall& Last() const { return *call(count() - 1); }
  CountFunction count = nullptr;
  CallFunction call = nullptr;
};

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Locating the control loads it; only then can its record be read.
    ASSERT_TRUE(HelpLibrary::Available());
    recorder_ = Recorder();
    ASSERT_TRUE(recorder_.Ready()) << "the registered control is not the stand-in";
    TheContext().ownInstance = GetModuleHandleA(nullptr);
    TheContext().HelpFile = "C:\\Program Files\\Vantrel\\Vantrel-1033.chm";
  }
  void TearDown() override {
    window_.reset();
    DeleteKey(HKEY_CURRENT_USER, kUserKey);
  }
  HWND Open() {
    window_.reset(new Window);
    EXPECT_TRUE(window_->CreateMainWindow());
    return window_->Handle();
  }
  void ExpectLastCall(UINT command, DWORD_PTR data) const {
    EXPECT_EQ(recorder_.Last().command, command);
    EXPECT_EQ(recorder_.Last().data, data);
    EXPECT_STREQ(recorder_.Last().file, TheContext().HelpFile.c_str());
  }

  Recorder recorder_;
  std::unique_ptr<Window> window_;
};

}  // namespace

TEST_F(HelpTest, InitialisationHandsTheCookieBack) {
  EXPECT_EQ(HelpLibrary::Initialize(), kFakeHelpCookie);
  EXPECT_EQ(recorder_.Last().command, static_cast<UINT>(HH_INITIALIZE));
  HelpLibrary::Uninitialize(kFakeHelpCookie);
  EXPECT_EQ(recorder_.Last().command, static_cast<UINT>(HH_UNINITIALIZE));
  EXPECT_EQ(recorder_.Last().data, kFakeHelpCookie);
}

// The help file maps contexts 1 to 4 to the pages of the four steps: F1 asks
// for the number of the step shown, going on and going back alike.
TEST_F(HelpTest, F1AsksForTheContextOfEveryStep) {
  WizardSources sources;
  HWND window = Open();
  // 0 stands for the step that the window opens with.
  for (int command : {0, 2002, 2003, 2004, 2002, 2001}) {
    const DWORD_PTR step = command == 0 ? 1 : static_cast<DWORD_PTR>(command - 2000);
    SCOPED_TRACE(step);
    if (command != 0) SendMessageA(window, WM_COMMAND, command, 0);
    const int before = recorder_.count();
    SendMessageA(window, WM_HELP, 0, 0);
    ASSERT_EQ(recorder_.count(), before + 1);
    ExpectLastCall(HH_HELP_CONTEXT, step);
  }
}

TEST_F(HelpTest, TheHelpButtonAndTheMenuOpenHelp) {
  HWND window = Open();
  const int before = recorder_.count();
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(640, 18));
  ASSERT_EQ(recorder_.count(), before + 1);
  ExpectLastCall(HH_HELP_CONTEXT, 1);
  SendMessageA(window, WM_COMMAND, 3001, 0);
  ExpectLastCall(HH_DISPLAY_TOC, 0);
  // Clicks elsewhere in the top band ask for nothing.
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 30));
  EXPECT_EQ(recorder_.count(), before + 2);
}

TEST_F(HelpTest, ClosingTheWindowClosesEveryHelpWindow) {
  HWND window = Open();
  SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(recorder_.Last().command, static_cast<UINT>(HH_CLOSE_ALL));
  EXPECT_FALSE(IsWindow(window));
}

// The build compiles the help file beside the program, under the name that
// start-up derives from the program's own for an English user.
TEST(HelpFileTest, TheBuildPutsTheHelpFileWhereTheProgramLooksForIt) {
  char executable[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, executable, MAX_PATH);
  std::string folder = executable;
  folder.erase(folder.rfind('\\'));
  const std::string help = HelpFileFor(folder + "\\Vantrel.exe", 1033);
  const std::string bytes = ReadWholeFile(help);
  ASSERT_GE(bytes.size(), 4u) << help;
  EXPECT_EQ(bytes.compare(0, 4, "ITSF"), 0) << help << " is not a compiled help file";
}
