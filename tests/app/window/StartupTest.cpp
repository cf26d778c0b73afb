// Vantrel.exe as a user starts it: without its language module, and with it
// until the close button is pressed. The run with the window also leaves a
// screenshot of the main window in build/windows/screenshots/.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Context.h"
#include "ShellTestSupport.h"
#include "Startup.h"
#include "System.h"
#include "TestFiles.h"
#include "Trace.h"

namespace {

const DWORD kStartTimeMs = 30000;

std::string LanguageModuleOfThisUser() { return LanguageModuleName(LanguageNumberFor(GetUserDefaultLangID())); }

std::string WindowText(HWND window) {
  char text[512] = {};
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::vector<std::string> TraceLines() {
  std::vector<std::string> lines;
  const std::string trace = ReadWholeFile(TraceFilePath());
  for (std::size_t start = 0; start < trace.size();) {
    std::size_t end = trace.find("\r\n", start);
    if (end == std::string::npos) end = trace.size();
    lines.push_back(trace.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Starts Vantrel.exe in a folder of its own with the given files beside it,
// lets an optional look at its window happen, and presses the close button.
std::vector<std::string> RunUntilClosed(const char* folderName, std::initializer_list<const char*> files,
                                        const char* screenshot) {
  const std::string folder = FreshFolder(folderName);
  EXPECT_TRUE(CopyProgram(folder));
  for (const char* file : files) EXPECT_TRUE(CopyBeside(file, folder)) << file;
  DeleteKey(HKEY_CURRENT_USER, kUserKey);
  RemoveFile(TraceFilePath());

  ChildProcess program(folder + "\\Vantrel.exe", folder);
  EXPECT_TRUE(program.Started());
  HWND window = WaitForWindow("VANTREL", "Vantrel", kStartTimeMs);
  EXPECT_NE(window, nullptr) << "no main window";
  if (window == nullptr) return {};
  if (screenshot != nullptr) {
    // Let the display catch up with the painting before the picture is taken.
    PumpFor(1500);
    SaveScreenshot(window, screenshot);
  }
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(681, 18));
  DWORD code = 1;
  EXPECT_TRUE(program.WaitForExit(kStartTimeMs, code));
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(IsWindow(window));
  DeleteKey(HKEY_CURRENT_USER, kUserKey);
  return TraceLines();
}

const char kVersionLineStart[] = "Vantrel " VANTREL_PRODUCT_VERSION " : OS=";
const char kDictionaryError[] = "Error in file dictionary: ";

int LinesStartingWith(const std::vector<std::string>& lines, const char* start) {
  int count = 0;
  for (const std::string& line : lines) count += line.rfind(start, 0) == 0 ? 1 : 0;
  return count;
}

}  // namespace

TEST(Startup, TheMissingModuleTextEndsWithTheModuleName) {
  std::string system = SystemMessageText(ERROR_FILE_NOT_FOUND);
  ASSERT_GT(system.size(), 1u);
  ASSERT_EQ(system.back(), '.');
  EXPECT_EQ(MissingLanguageModuleText("1036.DLL"), system.substr(0, system.size() - 1) + " - 1036.DLL");
}

TEST(Startup, WithoutItsLanguageModuleTheProgramSaysSoAndEnds) {
  const std::string folder = FreshFolder("shell-no-language");
  ASSERT_TRUE(CopyProgram(folder));
  ChildProcess program(folder + "\\Vantrel.exe", folder);
  ASSERT_TRUE(program.Started());

  HWND box = WaitForWindow("#32770", "Vantrel", kStartTimeMs);
  ASSERT_NE(box, nullptr) << "no message box";
  HWND text = GetDlgItem(box, 0xFFFF);
  ASSERT_NE(text, nullptr);
  const std::string message = WindowText(text);
  EXPECT_EQ(message, MissingLanguageModuleText(LanguageModuleOfThisUser()));
  EXPECT_EQ(message.find(". - "), std::string::npos);
  EXPECT_NE(message.find(" - 1033.DLL"), std::string::npos);

  PostMessageA(box, WM_COMMAND, IDOK, 0);
  DWORD code = 1;
  ASSERT_TRUE(program.WaitForExit(kStartTimeMs, code));
  EXPECT_EQ(code, 0u);
}


TEST(Startup, TheProgramRunsUntilItsCloseButtonIsPressed) {
  std::vector<std::string> trace = RunUntilClosed("shell-program", {"1033.DLL", "FileIdentify.dict"}, "main-window.png");
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace[0].rfind(kVersionLineStart, 0), 0u) << trace[0];
  EXPECT_EQ(LinesStartingWith(trace, kDictionaryError), 0);
}

TEST(Startup, WithoutItsDictionaryTheProgramNotesItAndRuns) {
  std::vector<std::string> trace = RunUntilClosed("shell-no-dictionary", {"1033.DLL"}, nullptr);
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[0].rfind(kVersionLineStart, 0), 0u) << trace[0];
  EXPECT_EQ(trace[1].rfind(kDictionaryError, 0), 0u) << trace[1];
  EXPECT_NE(trace[1].find("FileIdentify.dict"), std::string::npos) << trace[1];
  EXPECT_EQ(LinesStartingWith(trace, kDictionaryError), 1);
}

TEST(Startup, TheDictionaryLivesBesideTheExecutable) {
  EXPECT_EQ(DictionaryPathFor("C:\\Program Files\\Vantrel\\Vantrel.exe"),
            "C:\\Program Files\\Vantrel\\FileIdentify.dict");
  EXPECT_EQ(DictionaryPathFor("Vantrel.exe"), "FileIdentify.dict");
}
