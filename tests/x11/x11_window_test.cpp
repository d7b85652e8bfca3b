// The program driven through a real X server: 中止 and closing answer in
// every phase of a run, and the main window's frame is centred.
#include <gtest/gtest.h>

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
