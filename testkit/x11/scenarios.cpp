#include "testkit/x11/scenarios.h"

#include <X11/keysym.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "catalogue/catalogue.h"
#include "testkit/list_page.h"
#include "testkit/loopback_site.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"

namespace quillivar::x11 {
namespace {

using namespace quillivar::testing;  // the test support: pages, site, folders

// Client-area centres of the main window's buttons.
constexpr int kButton1X = 219 + 123 / 2, kButton2X = 8 + 75 / 2, kButton3X = 348 + 47 / 2,
              kButtonY = 8 + 25 / 2;
constexpr milliseconds kWindowLimit{15'000};

std::string RowCode(const Text& industryCode) {
  return std::to_string(1000 + std::stoi(industryCode) / 50);
}

std::string OneRowPage(const std::string& industryCode) {
  return ListPage(industryCode, {{RowCode(industryCode), "東証1部", "見本"}});
}

std::string DescendingPage(const std::string& industryCode) {
  std::vector<PageRow> rows;
  for (int i = 0; i < 10'000; ++i) rows.push_back({std::to_string(9999 - i % 9000), "東証1部", "x"});
  return ListPage(industryCode, rows);
}

// How the loopback quote site answers: pages late, never, byte by byte, or
// very long.
struct SiteScript {
  milliseconds delay{0};
  std::string silentIndustry, drippingIndustry;
  std::set<std::string> longIndustries;
};

LoopbackSite::Script ScriptFor(SiteScript script) {
  return [script = std::move(script)](const SiteRequest& request) {
    const std::string industry = request.Param("ids");
    if (industry == script.silentIndustry) return Reply::Silent();
    if (industry == script.drippingIndustry) {
      return Reply{.body = OneRowPage(industry), .drip = milliseconds(200)};
    }
    return Reply{.body = script.longIndustries.count(industry) ? DescendingPage(industry)
                                                               : OneRowPage(industry),
                 .delay = script.delay};
  };
}

// The program, started as it starts itself, reporting each status text with
// the moment it was set.
class Program {
 public:
  Program(const XServer& server, const std::string& host, const std::string& folder) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = Spawn({.argv = {QUILLIVAR_X11_PROGRAM, host, folder},
                  .environment = {"DISPLAY=" + server.DisplayName(), "QT_QPA_PLATFORM=xcb"},
                  .out = out[1]});
    ::close(out[1]);
    reader_ = std::thread([this, fd = out[0]] { ReadStatus(fd); });
  }
  ~Program() {
    if (!exitStatus_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    reader_.join();
  }

  // The moment the status line first showed `text` after `since`.
  std::optional<Clock::time_point> WaitForStatus(const std::string& prefix, milliseconds limit,
                                                 Clock::time_point since = {}) {
    std::unique_lock lock(mutex_);
    std::optional<Clock::time_point> seen;
    changed_.wait_for(lock, limit, [&] {
      for (const auto& [when, text] : status_) {
        if (when > since && text.rfind(prefix, 0) == 0) {
          seen = when;
          return true;
        }
      }
      return false;
    });
    return seen;
  }
  std::string LastStatus() {
    std::lock_guard lock(mutex_);
    return status_.empty() ? std::string() : status_.back().second;
  }
  // Waits until `count` boxes have shown; all of them so far.
  std::vector<std::string> WaitForBoxes(std::size_t count, milliseconds limit) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return boxes_.size() >= count; });
    return boxes_;
  }
  std::optional<int> WaitForExit(milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!exitStatus_ && Clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      } else {
        std::this_thread::sleep_for(milliseconds(10));
      }
    }
    return exitStatus_;
  }

 private:
  // Lines "<steady clock nanoseconds> <status text>".
  void ReadStatus(int fd) {
    std::string pending;
    char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) {
      pending.append(buffer, static_cast<std::size_t>(got));
      std::size_t end;
      std::lock_guard lock(mutex_);
      while ((end = pending.find('\n')) != std::string::npos) {
        const std::string line = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (line.starts_with("box ")) {
          boxes_.push_back(line.substr(line.find(' ', 4) + 1));
          continue;
        }
        const std::size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const Clock::time_point when{Clock::duration(std::stoll(line.substr(0, space)))};
        status_.emplace_back(when, line.substr(space + 1));
      }
      changed_.notify_all();
    }
    ::close(fd);
  }

  pid_t pid_ = -1;
  std::optional<int> exitStatus_;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::pair<Clock::time_point, std::string>> status_;
  std::vector<std::string> boxes_;
};

// A scratch program folder with its settings and an earlier list.
struct Folder {
  explicit Folder(Settings settings = Settings::Everything) {
    const std::string path = dir.File("UserSetting.dat");
    switch (settings) {
      case Settings::Everything: WriteUserSetting(dir.Dir()); break;
      case Settings::Nothing: WriteUserSetting(dir.Dir(), [](int) { return false; }); break;
      // A regular file whose every read fails, for root too.
      case Settings::Unreadable: ::symlink("/proc/self/mem", path.c_str()); break;
      case Settings::Fifo: ::mkfifo(path.c_str(), 0600); break;
    }
    WriteBytes(dir.File("brand_code.csv"), kPreviousList);
  }
  std::string List() const { return ReadBytes(dir.File("brand_code.csv")); }
  TempDir dir;
};

// The main window, once it is shown and has the focus. The first start on a
// machine builds font caches, slowly under the sanitizers.
Window MainWindow(XUser& user) {
  const auto window = user.WaitForActiveWindow("Quillivar", 4 * kWindowLimit);
  if (!window) throw std::runtime_error("the main window did not come up");
  return *window;
}

// Clicks a button of the main window until the window titled `title` has
// the focus: a window just mapped may not take clicks yet.
Window ClickUntil(XUser& user, const Window& main, int x, const std::string& title) {
  for (int attempt = 0; attempt < 10; ++attempt) {
    user.Click(main, x, kButtonY);
    if (auto opened = user.WaitForActiveWindow(title, milliseconds(1500))) return *opened;
  }
  throw std::runtime_error("no window " + title);
}

// ダウンロード開始, then OK in the confirmation.
void StartRun(XUser& user, const Window& main) {
  ClickUntil(user, main, kButton1X, "確認");
  user.PressReturn();
}

// The frame once it is there and centred, or as it is after a while: the
// window manager frames a window some time after it is shown, and a loaded
// machine is slow.
Rect SettledFrame(XUser& user, const Window& window) {
  const Rect screen = user.Screen();
  const auto deadline = Clock::now() + milliseconds(3000);
  const auto settled = [&](const Rect& frame) {
    return frame.height > user.ClientRect(window).height &&
           std::abs(frame.CentreX2() - screen.CentreX2()) <= 2 &&
           std::abs(frame.CentreY2() - screen.CentreY2()) <= 2;
  };
  Rect frame = user.FrameRect(window);
  while (Clock::now() < deadline && !settled(frame)) {
    std::this_thread::sleep_for(milliseconds(20));
    frame = user.FrameRect(window);
  }
  return frame;
}

void WaitForPhase(Phase phase, LoopbackSite& site, Program& program) {
  const auto settle = [](int ms) { std::this_thread::sleep_for(milliseconds(ms)); };
  switch (phase) {
    case Phase::SlowPage:
      site.WaitForRequests(3, kWindowLimit);
      return settle(150);
    case Phase::SilentServer:
      site.WaitForRequests(1, kWindowLimit);
      return settle(300);
    case Phase::DrippingBody:
      site.WaitForRequests(1, kWindowLimit);
      return settle(700);
    case Phase::OrderedInsertion:
      program.WaitForStatus("銘柄情報取得：", kWindowLimit);
      return settle(50);
  }
}

SiteScript PagesAfter(milliseconds delay) {
  SiteScript script;
  script.delay = delay;
  return script;
}

SiteScript ScriptOf(Phase phase) {
  SiteScript script;
  switch (phase) {
    case Phase::SlowPage: return PagesAfter(milliseconds(300));
    case Phase::SilentServer: script.silentIndustry = "0050"; break;
    case Phase::DrippingBody: script.drippingIndustry = "0050"; break;
    case Phase::OrderedInsertion: script.longIndustries = {"0050", "1050", "2050"}; break;
  }
  return script;
}

}  // namespace

const char* PhaseName(Phase phase) {
  switch (phase) {
    case Phase::SlowPage: return "a page that takes 300 ms";
    case Phase::SilentServer: return "a server that never answers";
    case Phase::DrippingBody: return "a body of one byte every 200 ms";
    case Phase::OrderedInsertion: return "the insertion of 10,000 descending rows";
  }
  return "";
}

std::string FullList() {
  std::string list;
  for (const IndustryEntry& industry : IndustryCatalogue()) {
    list += RowCode(industry.code) + "," + Sjis("東証1部,見本,") + industry.name + "\r\n";
  }
  return list;
}

namespace {

// The boxes are captioned with the program's file name.
constexpr const char* kBoxTitle = "quillivar_x11_program";

// Presses Return on the window titled `title` until it goes: a box just
// mapped may not take keys yet.
void PressUntilGone(XUser& user, const std::string& title) {
  const auto box = user.WaitForActiveWindow(title, kWindowLimit);
  if (!box) throw std::runtime_error("no window " + title);
  for (int attempt = 0; attempt < 10; ++attempt) {
    user.PressReturn();
    const auto deadline = Clock::now() + milliseconds(1500);
    while (Clock::now() < deadline) {
      const auto active = user.ActiveWindow();
      if (!active || active->id != box->id) return;
      std::this_thread::sleep_for(milliseconds(10));
    }
  }
  throw std::runtime_error("the window " + title + " stays");
}

// Return on the box that shows as the `count`-th.
void AnswerBox(XUser& user, Program& program, std::size_t count) {
  const std::vector<std::string> boxes = program.WaitForBoxes(count, kWindowLimit);
  if (boxes.size() < count) throw std::runtime_error("no box " + std::to_string(count));
  const std::string& name = boxes[count - 1];
  PressUntilGone(user, name.starts_with("YesNoBox") ? "確認" : kBoxTitle);
}

// A scratch folder, a site, the program on them, and a user at its window.
struct Session {
  Session(const XServer& server, SiteScript script, Settings settings = Settings::Everything)
      : folder(settings),
        site(ScriptFor(std::move(script))),
        program(server, site.Host(), folder.dir.Dir()),
        user(server.DisplayName()),
        main(FirstWindow(settings)) {}

  Window FirstWindow(Settings settings) {
    if (settings == Settings::Unreadable || settings == Settings::Fifo) AnswerBox(user, program, 1);
    return MainWindow(user);
  }

  // Alt+F4 on the idle main window until the program ends: a window that
  // just got the focus back may not take keys yet.
  void Close() {
    for (int attempt = 0; attempt < 10; ++attempt) {
      user.WaitForActiveWindow("Quillivar", milliseconds(1500));
      user.PressAltF4();
      if (program.WaitForExit(milliseconds(1500))) return;
    }
  }

  // What the run left once the program has exited or `limit` has passed.
  RunOutcome Outcome(milliseconds limit) {
    RunOutcome outcome;
    outcome.exitStatus = program.WaitForExit(limit);
    outcome.lastStatus = program.LastStatus();
    outcome.listFile = folder.List();
    outcome.boxes = program.WaitForBoxes(0, milliseconds(0));
    outcome.requests = site.RequestCount();
    return outcome;
  }

  Folder folder;
  LoopbackSite site;
  Program program;
  XUser user;
  Window main;
};

}  // namespace

RunOutcome AbortDuring(const XServer& server, Phase phase) {
  Session session(server, ScriptOf(phase));
  StartRun(session.user, session.main);
  WaitForPhase(phase, session.site, session.program);

  const auto clicked = session.user.Click(session.main, kButton3X, kButtonY);
  const auto aborted = session.program.WaitForStatus("ダウンロード中止", kWindowLimit, clicked);
  std::this_thread::sleep_for(milliseconds(300));  // time for a stray request
  const int requestsAfterClick = session.site.RequestsSince(clicked);
  const int requestsAfterAbort = aborted ? session.site.RequestsSince(*aborted) : 0;
  session.user.PressAltF4();
  RunOutcome outcome = session.Outcome(kWindowLimit);
  outcome.requestsAfterClick = requestsAfterClick;
  outcome.requestsAfterAbort = requestsAfterAbort;
  if (aborted) {
    outcome.abortLatencyMs = std::chrono::duration<double, std::milli>(*aborted - clicked).count();
  }
  return outcome;
}

RunOutcome AnswerEmptySelection(const XServer& server, Settings settings, bool yes) {
  Session session(server, {}, settings);
  const std::size_t atStart = session.program.WaitForBoxes(0, milliseconds(0)).size();
  // The confirmation and the question share their title: the Return that
  // the confirmation just mapped may drop is pressed again for it alone.
  ClickUntil(session.user, session.main, kButton1X, "確認");
  PressUntilGone(session.user, "確認");
  session.program.WaitForBoxes(atStart + 2, kWindowLimit);  // the question
  if (yes) {
    session.user.WaitForActiveWindow("確認", kWindowLimit);
    std::this_thread::sleep_for(milliseconds(300));  // until it takes keys
    session.user.Press({XK_Shift_L, XK_Tab});
    PressUntilGone(session.user, "確認");
    AnswerBox(session.user, session.program, atStart + 3);  // the final box
  } else {
    PressUntilGone(session.user, "確認");
  }
  session.program.WaitForStatus(yes ? "" : "銘柄リストは更新していません", kWindowLimit);
  std::this_thread::sleep_for(milliseconds(300));  // time for a stray request or box
  session.Close();
  return session.Outcome(kWindowLimit);
}

RunOutcome HoldReturnOnConfirmation(const XServer& server, milliseconds hold) {
  Session session(server, PagesAfter(milliseconds(300)));
  ClickUntil(session.user, session.main, kButton1X, "確認");
  session.user.HoldReturn(hold);
  std::this_thread::sleep_for(milliseconds(300));  // the repeats delivered
  const std::string afterHold = session.program.LastStatus();
  const auto pressed = Clock::now();
  session.user.PressReturn();
  const auto aborted = session.program.WaitForStatus("ダウンロード中止", kWindowLimit, pressed);
  session.Close();
  RunOutcome outcome = session.Outcome(kWindowLimit);
  outcome.lastStatus = afterHold;
  if (aborted) {
    outcome.abortLatencyMs = std::chrono::duration<double, std::milli>(*aborted - pressed).count();
  }
  return outcome;
}

RunOutcome CloseDuringRun(const XServer& server) {
  Session session(server, PagesAfter(milliseconds(100)));
  StartRun(session.user, session.main);
  session.site.WaitForRequests(2, kWindowLimit);
  session.user.PressAltF4();
  return session.Outcome(milliseconds(60'000));
}

RunOutcome CloseThenAbort(const XServer& server) {
  Session session(server, PagesAfter(milliseconds(300)));
  StartRun(session.user, session.main);
  session.site.WaitForRequests(2, kWindowLimit);
  session.user.PressAltF4();
  std::this_thread::sleep_for(milliseconds(200));
  const auto clicked = session.user.Click(session.main, kButton3X, kButtonY);
  RunOutcome outcome = session.Outcome(kWindowLimit);
  outcome.requestsAfterClick = session.site.RequestsSince(clicked);
  return outcome;
}

Placement MainWindowPlacement(const XServer& server) {
  Session session(server, {});
  XUser& user = session.user;
  Placement placement{user.Screen(), SettledFrame(user, session.main), {}, {}};
  placement.settingsDialog = SettledFrame(user, ClickUntil(user, session.main, kButton2X, "設定"));
  user.PressAltF4();
  user.WaitForActiveWindow("Quillivar", kWindowLimit);
  placement.confirmation = SettledFrame(user, ClickUntil(user, session.main, kButton1X, "確認"));
  user.PressAltF4();
  user.WaitForActiveWindow("Quillivar", kWindowLimit);
  user.PressAltF4();
  session.program.WaitForExit(kWindowLimit);
  return placement;
}

}  // namespace quillivar::x11
