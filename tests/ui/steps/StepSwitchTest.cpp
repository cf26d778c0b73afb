// The main window's step switch: one step at a time, the title and the
// trace line of each switch, a switch asked for during a nested loop run
// after it, a switch without what the step needs refused, and a busy
// cursor that a step leaves behind released with it.
#include <windows.h>

#include <gtest/gtest.h>

#include "Context.h"
#include "Dialog.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "TestFiles.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"

namespace {

using StepSwitchTest = StepStage;

int Count(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

void Command(HWND window, int command) { SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(command), 0); }

}  // namespace

TEST_F(StepSwitchTest, Step1IsAFreshStepEachTime) {
  Dialog* first = Main().CurrentStep();
  ASSERT_NE(first, nullptr);
  HWND firstWindow = first->Handle();
  Command(Main().Handle(), 2001);
  ASSERT_NE(Main().CurrentStep(), nullptr);
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_NE(Main().CurrentStep()->Handle(), nullptr);
  EXPECT_EQ(Main().StepNumber(), 1);
  EXPECT_EQ(Main().TitleLine().Text(), LoadText(kTextStep1Title));
  EXPECT_EQ(Count(ReadWholeFile(TraceFilePath()), "Displaying Step 1 dialog"), 1);
}

TEST_F(StepSwitchTest, StepsWithoutWhatTheyNeedAreRefused) {
  for (int command : {2002, 2003, 2004}) Command(Main().Handle(), command);
  EXPECT_EQ(Main().StepNumber(), 1);
  ASSERT_NE(Main().CurrentStep(), nullptr);
  EXPECT_NE(Main().CurrentStep()->Handle(), nullptr);
  const std::string trace = ReadWholeFile(TraceFilePath());
  EXPECT_EQ(Count(trace, "refused"), 3);
  EXPECT_EQ(Count(trace, "Displaying Step"), 0);
}

TEST_F(StepSwitchTest, ASwitchDuringANestedLoopWaitsForItsEnd) {
  HWND step = StepWindow();
  const auto switches = [] { return Count(ReadWholeFile(TraceFilePath()), "Displaying Step 1 dialog"); };
  {
    NestedLoop loop;
    Command(Main().Handle(), 2001);
    PumpFor(50);
    EXPECT_TRUE(IsWindow(step));  // the step under the loop stays
    EXPECT_EQ(switches(), 0);
  }
  PumpUntil([&] { return !IsWindow(step); }, 2000);
  EXPECT_FALSE(IsWindow(step));
  EXPECT_NE(StepWindow(), nullptr);
  EXPECT_EQ(switches(), 1);
}

TEST_F(StepSwitchTest, ABusyCursorGoesWithItsStep) {
  Main().CurrentStep()->SetBusy(true);
  Main().CurrentStep()->SetBusy(true);
  EXPECT_EQ(Main().BusyCount(), 2);
  Command(Main().Handle(), 2001);
  EXPECT_EQ(Main().BusyCount(), 0);
}
