// What a user does to a running download, through the X server: the program
// started as it starts itself (its folder and quote site pointed at a
// scratch folder and a loopback site), 中止 clicked in one phase of a run, or
// the window closed with Alt+F4. Shared by the window tests and the latency
// benchmark.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "testkit/x11/x_display.h"

namespace quillivar::x11 {

enum class Phase {
  SlowPage,          // every page answered after 300 ms
  SilentServer,      // the first page accepted and never answered
  DrippingBody,      // the first page's body one byte every 200 ms
  OrderedInsertion,  // pages of 10,000 rows in descending code order
};
const char* PhaseName(Phase phase);

struct RunOutcome {
  std::string lastStatus;       // UTF-8
  double abortLatencyMs = -1;   // click on 中止 to "ダウンロード中止"
  int requestsAfterClick = 0;   // reaching the site once 中止 went up
  int requestsAfterAbort = 0;   // reaching it once the run showed the abort
  std::string listFile;         // brand_code.csv afterwards
  std::optional<int> exitStatus;  // after the final Alt+F4 or the close
  std::vector<std::string> boxes;  // "ObjectName:text" of each box shown, UTF-8
  std::size_t requests = 0;        // reaching the site in all
};

// The contents of brand_code.csv before each run.
inline constexpr const char* kPreviousList = "previous\r\n";

// Clicks 中止 during `phase`, then closes the idle window with Alt+F4.
RunOutcome AbortDuring(const XServer& server, Phase phase);
// Alt+F4 while pages take 100 ms each; the run goes on to its end.
RunOutcome CloseDuringRun(const XServer& server);
// Alt+F4 while pages take 300 ms each, then 中止.
RunOutcome CloseThenAbort(const XServer& server);

// UserSetting.dat as a run finds it.
enum class Settings { Everything, Nothing, Unreadable, Fifo };
// ダウンロード開始, OK by Return, then the empty-selection question answered
// by Return (the default, いいえ) or, `yes`, by Shift+Tab to はい and Return,
// and the final box by Return; a box at start is closed by Return too.
RunOutcome AnswerEmptySelection(const XServer& server, Settings settings, bool yes);
// Return held for `hold` on the confirmation, while pages take 300 ms each;
// then a fresh Return, which aborts. `lastStatus` is that after the hold.
RunOutcome HoldReturnOnConfirmation(const XServer& server, milliseconds hold);

// Each window with its title bar and borders, as first shown.
struct Placement {
  Rect screen;
  Rect main;
  Rect settingsDialog;
  Rect confirmation;
};
Placement MainWindowPlacement(const XServer& server);

// The list (Shift-JIS) the run writes when every industry's row is kept.
std::string FullList();

}  // namespace quillivar::x11
