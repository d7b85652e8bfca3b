// The program driven through a real X server: 中止 and closing answer in
// every phase of a run, an empty selection is asked about, a held key
// presses nothing, and the main window's frame is centred.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "testkit/x11/scenarios.h"

namespace quillivar::x11 {
namespace {

class WindowSystemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server = std::make_unique<XServer>(); }
  static void TearDownTestSuite() { server.reset(); }
  static inline std::unique_ptr<XServer> server;
};

TEST_F(WindowSystemTest, AbortEndsTheRunInEveryPhaseAndKeepsTheList) {
  for (const Phase phase : {Phase::SlowPage, Phase::SilentServer, Phase::DrippingBody,
                            Phase::OrderedInsertion}) {
    SCOPED_TRACE(PhaseName(phase));
    const RunOutcome outcome = AbortDuring(*server, phase);
    EXPECT_GE(outcome.abortLatencyMs, 0.0);  // the status line showed it
    EXPECT_EQ(outcome.lastStatus, "ダウンロード中止");
    // A request already on its way when the click came is the most.
    EXPECT_LE(outcome.requestsAfterClick, 1);
    EXPECT_EQ(outcome.requestsAfterAbort, 0);
    EXPECT_EQ(outcome.listFile, kPreviousList);
    EXPECT_EQ(outcome.exitStatus, 0);
  }
}

TEST_F(WindowSystemTest, AltF4DuringARunLetsItFinishAndWriteThenExits) {
  const RunOutcome outcome = CloseDuringRun(*server);
  EXPECT_EQ(outcome.exitStatus, 0);  // the final box did not wait
  EXPECT_EQ(outcome.listFile, FullList());
}

TEST_F(WindowSystemTest, AltF4ThenAbortEndsOnTheAbortAndExits) {
  const RunOutcome outcome = CloseThenAbort(*server);
  EXPECT_EQ(outcome.exitStatus, 0);
  EXPECT_EQ(outcome.lastStatus, "ダウンロード中止");
  EXPECT_LE(outcome.requestsAfterClick, 1);
  EXPECT_EQ(outcome.listFile, kPreviousList);
}

// Every selection that would empty the list, lost or unreadable ones
// included, is asked about; a held Return confirms and nothing more.
TEST_F(WindowSystemTest, AnEmptySelectionIsAskedAboutAndAHeldReturnPressesNothing) {
  const std::string confirm = "ConfirmationBox:", question =
      "YesNoBox:市場または業種が一つも選ばれていません。brand_code.csv を空のリストで置き換えますか？";
  const std::string kept = "銘柄リストは更新していません";
  struct Case {
    const char* name;
    std::function<RunOutcome()> run;
    std::vector<std::string> boxes;  // a part of each box's "Name:text", in order
    std::string list;
    std::string lastStatus;  // "": not an empty selection, so a run that 中止 ended
  };
  const auto answered = [this](Settings settings, bool yes) {
    return [settings, yes] { return AnswerEmptySelection(*server, settings, yes); };
  };
  const std::vector<Case> cases = {
      {"nothing selected, いいえ", answered(Settings::Nothing, false), {confirm, question},
       kPreviousList, kept},
      {"nothing selected, はい", answered(Settings::Nothing, true),
       {confirm, question, "InformationBox:銘柄リストのダウンロードが終了しました。"}, "", ""},
      {"unreadable", answered(Settings::Unreadable, false),
       {"/UserSetting.dat が読めません（I/O エラー (5)）.", confirm, question}, kPreviousList, kept},
      {"FIFO", answered(Settings::Fifo, false),
       {"/UserSetting.dat はファイルではありません.", confirm, question}, kPreviousList, kept},
      {"Return held 1.5 s", [] { return HoldReturnOnConfirmation(*server, milliseconds(1500)); },
       {confirm}, kPreviousList, ""},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const RunOutcome outcome = test.run();
    ASSERT_EQ(outcome.boxes.size(), test.boxes.size()) << testing::PrintToString(outcome.boxes);
    for (std::size_t i = 0; i < test.boxes.size(); ++i) {
      EXPECT_NE(outcome.boxes[i].find(test.boxes[i]), std::string::npos) << outcome.boxes[i];
    }
    EXPECT_EQ(outcome.listFile, test.list);
    EXPECT_EQ(outcome.exitStatus, 0);
    if (test.lastStatus.empty() && test.list == kPreviousList) {
      // The run went on through the repeats, and a fresh Return aborted it.
      EXPECT_NE(outcome.lastStatus, "ダウンロード中止");
      EXPECT_GE(outcome.requests, 3u);
      EXPECT_GE(outcome.abortLatencyMs, 0.0);
    } else {
      EXPECT_EQ(outcome.requests, 0u);
      if (!test.lastStatus.empty()) {
        EXPECT_EQ(outcome.lastStatus, test.lastStatus);
      }
    }
  }
}

TEST_F(WindowSystemTest, EachWindowWithItsFrameIsCentredOnTheScreen) {
  const Placement placement = MainWindowPlacement(*server);
  EXPECT_GT(placement.main.height, 61);  // the title bar is part of it
  for (const Rect& frame : {placement.main, placement.settingsDialog, placement.confirmation}) {
    EXPECT_NEAR(frame.CentreX2(), placement.screen.CentreX2(), 2);
    EXPECT_NEAR(frame.CentreY2(), placement.screen.CentreY2(), 2);
  }
}

}  // namespace
}  // namespace quillivar::x11
