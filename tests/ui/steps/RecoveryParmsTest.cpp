// Step 2 on the real main window: its defaults each time it shows, the
// options its boxes give the run (the intensive box by its exact state),
// an earlier worker ended by a new run, and Back.
#include <windows.h>

#include <gtest/gtest.h>

#include "Context.h"
#include "Media.h"
#include "Recovery.h"
#include "RecoveryParms.h"
#include "ShellTestSupport.h"
#include "StepTestSupport.h"
#include "TestFiles.h"
#include "TextIds.h"
#include "Texts.h"
#include "Trace.h"

namespace {

class RecoveryParmsTest : public StepStage {
 protected:
  void SetUp() override {
    StepStage::SetUp();
    OpenImageAsSource("card.img", 64);
    ShowStep2();
  }
  void ShowStep2() {
    SendMessageA(Main().Handle(), WM_COMMAND, 2002, 0);
    ASSERT_EQ(Main().StepNumber(), 2);
    ASSERT_NE(StepWindow(), nullptr);
  }
  UINT State(int id) { return IsDlgButtonChecked(StepWindow(), id); }
  void Set(int id, UINT state) { CheckDlgButton(StepWindow(), id, state); }
  // Next, and the options the new worker got.
  RecoveryOptions RunWith() {
    Click(RecoveryParms::kNext);
    PumpUntil([this] { return Main().StepNumber() == 3; }, 2000);
    EXPECT_EQ(Main().StepNumber(), 3);
    EXPECT_NE(TheContext().CurrentRecovery, nullptr);
    return TheContext().CurrentRecovery != nullptr ? TheContext().CurrentRecovery->options : RecoveryOptions();
  }
};

}  // namespace

TEST_F(RecoveryParmsTest, DefaultsEachTimeTheStepShows) {
  for (int shown = 0; shown < 2; ++shown) {
    SCOPED_TRACE(shown == 0 ? "first" : "after a run");
    EXPECT_EQ(State(RecoveryParms::kDeleted), BST_CHECKED);
    for (int id : {RecoveryParms::kIntensive, RecoveryParms::kPartial, RecoveryParms::kJpeg, RecoveryParms::kVideo,
                   RecoveryParms::kAvi, RecoveryParms::kMp3, RecoveryParms::kTiff, RecoveryParms::kOthers})
      EXPECT_EQ(State(id), BST_UNCHECKED) << id;
    Set(RecoveryParms::kPartial, BST_CHECKED);
    Set(RecoveryParms::kTiff, BST_CHECKED);
    RunWith();
    ShowStep2();
  }
}

TEST_F(RecoveryParmsTest, TheIntensiveBoxReachesTheRunByItsExactState) {
  struct Case {
    UINT state;
    bool force, suppress;
  };
  for (const Case& c : {Case{BST_UNCHECKED, false, false}, Case{BST_CHECKED, true, false},
                        Case{BST_INDETERMINATE, false, true}}) {
    SCOPED_TRACE(c.state);
    Set(RecoveryParms::kIntensive, c.state);
    Set(RecoveryParms::kDeleted, BST_UNCHECKED);
    Set(RecoveryParms::kMp3, BST_CHECKED);
    const RecoveryOptions options = RunWith();
    EXPECT_EQ(options.forceIntensive, c.force);
    EXPECT_EQ(options.suppressIntensive, c.suppress);
    EXPECT_FALSE(options.includeDeleted);
    EXPECT_TRUE(options.types.wantMp3);
    EXPECT_FALSE(options.types.wantJpeg);
    ShowStep2();
  }
}

TEST_F(RecoveryParmsTest, ANewRunEndsTheEarlierWorker) {
  RunWith();
  Recovery* first = TheContext().CurrentRecovery;
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->isFinished());  // waiting for step 3 to release it
  ShowStep2();
  RunWith();
  EXPECT_NE(TheContext().CurrentRecovery, nullptr);
  EXPECT_TRUE(TheContext().CurrentRecovery->options.includeDeleted);
}

TEST_F(RecoveryParmsTest, BackLeadsToStep1) {
  Click(RecoveryParms::kBack);
  PumpUntil([this] { return Main().StepNumber() == 1; }, 2000);
  EXPECT_EQ(Main().StepNumber(), 1);
  EXPECT_EQ(TheContext().CurrentRecovery, nullptr);
}

TEST_F(RecoveryParmsTest, Screenshot) {
  Set(RecoveryParms::kIntensive, BST_INDETERMINATE);
  Set(RecoveryParms::kJpeg, BST_CHECKED);
  PumpFor(300);
  SaveScreenshot(Main().Handle(), "step2-options.png");
}

TEST_F(RecoveryParmsTest, TheSectorViewerOpensOverTheStep) {
  bool rows = false;
  ASSERT_TRUE(AnswerDialogWhileItRuns(
      "Sectors of the card",
      [&rows](HWND viewer) {
        rows = SendDlgItemMessageA(viewer, 1042, LB_GETCOUNT, 0, 0) == 32;
        SendMessageA(viewer, WM_COMMAND, IDCANCEL, 0);
      },
      [this] { Click(RecoveryParms::kViewSectors); }, 5000));
  EXPECT_TRUE(rows);
  EXPECT_EQ(Main().StepNumber(), 2);
  EXPECT_NE(ReadWholeFile(TraceFilePath()).find("Display Sectors entered"), std::string::npos);
}

namespace {

std::string FileBytes(const std::string& path) {
  std::string bytes = ReadWholeFile(path);
  return bytes;
}

std::string StatusText(HWND step) {
  char text[400] = {};
  GetDlgItemTextA(step, 1004, text, sizeof text);
  return text;
}

}  // namespace

// The image holds every sector of the source, byte for byte; Back and Next
// that come meanwhile are held off.
TEST_F(RecoveryParmsTest, AnImageOfTheSourceIsSavedWhole) {
  const std::string source = OpenImageAsSource("forty.img", 40);
  const std::string image = FreshFolder("step2-saved") + "\\\\copy.IMG";
  PostMessageA(StepWindow(), WM_COMMAND, RecoveryParms::kBack, 0);
  PostMessageA(StepWindow(), WM_COMMAND, RecoveryParms::kNext, 0);
  ASSERT_EQ(AnswerDialogsWhileTheyRun({SaveAs(image)}, [this] { Click(RecoveryParms::kSaveImage); }, 8000), 1);
  PumpFor(100);
  EXPECT_EQ(FileBytes(image).size(), 20480u);
  EXPECT_TRUE(FileBytes(image) == FileBytes(source));
  EXPECT_EQ(Main().StepNumber(), 2);
  EXPECT_EQ(TheContext().CurrentRecovery, nullptr);
  EXPECT_NE(StatusText(StepWindow()).find("40 sectors"), std::string::npos) << StatusText(StepWindow());
  std::string stored;
  ASSERT_TRUE(ReadRawText(HKEY_CURRENT_USER, kUserKey, "ImageFilename", stored));
  EXPECT_EQ(_stricmp(stored.c_str(), image.c_str()), 0) << stored;
}

// The image file being read is never written over: the user is told, and
// the source stays as it was.
TEST_F(RecoveryParmsTest, AnImageIsNeverSavedOverItsSource) {
  const std::string source = OpenImageAsSource("self.img", 40);
  const std::string before = FileBytes(source);
  std::string told;
  const DialogAnswer replace = {nullptr, [](HWND dialog) {
                                  // Wine asks whether to replace it: yes.
                                  PostMessageA(dialog, WM_COMMAND, IDYES, 0);
                                }};
  const DialogAnswer message = ReadMessage(told);
  const int answered =
      AnswerDialogsWhileTheyRun({SaveAs(source), replace, message}, [this] { Click(RecoveryParms::kSaveImage); }, 8000);
  EXPECT_EQ(answered, 3);
  EXPECT_EQ(told, LoadText(kTextImageOnSource));
  EXPECT_TRUE(FileBytes(source) == before);
  EXPECT_EQ(TheContext().CurrentMedia->sourcePath, source);
}

// A target that another program holds open cannot be made: text 120 with
// the system's reason, and the user's file stays as it was.
TEST_F(RecoveryParmsTest, ATargetThatCannotBeMadeIsSaidSo) {
  OpenImageAsSource("held.img", 40);
  const std::string image = FreshFolder("step2-held") + "\\\\held.IMG";
  HANDLE held = CreateFileA(image.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(held, "mine", 4, &written, nullptr);
  std::string told;
  const DialogAnswer replace = {nullptr, [](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDYES, 0); }};
  const DialogAnswer message = ReadMessage(told);
  const int answered =
      AnswerDialogsWhileTheyRun({SaveAs(image), replace, message}, [this] { Click(RecoveryParms::kSaveImage); }, 8000);
  CloseHandle(held);
  EXPECT_EQ(answered, 3);
  EXPECT_EQ(told.rfind("The image file could not be created: ", 0), 0u) << told;
  EXPECT_EQ(FileBytes(image), "mine");
}
