// The command as a scheduler runs it: its folder, its exit statuses, its
// log lines, and stop signals during a page that does not come.
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "refresh/refresh_support.h"
#include "catalogue/catalogue.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"

namespace quillivar::testing {
namespace {

const std::string kProgram = QUILLIVAR_REFRESH;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string OneRowPage(const std::string& code, int) {
  return ListPage(code, {{"1301", "東証1部", "見本水産"}}, 1);
}

std::size_t FilesIn(const TempDir& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                                                std::filesystem::directory_iterator()));
}

TEST(RefreshCommandTest, AWrongCommandLineExits64AndHelpIsInBothLanguages) {
  const std::vector<std::vector<std::string>> wrong = {
      {"--bogus"}, {"extra"}, {"--dir"}, {"--dir", "/nonexistent-folder"}, {"--dir", "/dev/null"},
      {"--host", "example.jp/path"}, {"--host="}, {"--", "--help"}};
  for (const auto& arguments : wrong) {
    const CommandResult result = RunCommand(kProgram, arguments);
    EXPECT_EQ(result.status, 64) << arguments[0];
    EXPECT_TRUE(Contains(result.output, "--help")) << result.output;
  }
  // A folder that cannot even be looked at: the run cannot use it.
  TempDir dir;
  std::filesystem::create_symlink(dir.File("loop"), dir.File("loop"));
  for (const std::string& folder : {dir.File("loop"), "/" + std::string(5000, 'd')}) {
    const CommandResult result = RunCommand(kProgram, {"--dir", folder});
    EXPECT_EQ(result.status, 2) << result.output;
    EXPECT_TRUE(Contains(LastLine(result.output), "を調べられません")) << result.output;
  }
  const CommandResult help = RunCommand(kProgram, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Contains(help.output, "使い方: quillivar-refresh")) << help.output;
  EXPECT_TRUE(Contains(help.output, "Usage: quillivar-refresh")) << help.output;
  EXPECT_TRUE(Contains(help.output, QUILLIVAR_QUOTE_HOST)) << help.output;
  EXPECT_EQ(RunCommand(kProgram, {"--version"}).output, "quillivar-refresh " QUILLIVAR_VERSION "\n");
}

TEST(RefreshCommandTest, RunsInItsOwnFolderAndLogsOneLinePerSelectedIndustry) {
  const sample::SampleData data;
  LoopbackSite site(SamplePages(data));
  TempDir dir;
  const std::string program = dir.File("quillivar-refresh");
  std::filesystem::copy_file(kProgram, program);
  // Every market; 水産・農林業, 銀行業 and 鉱業.
  WriteUserSetting(dir.Dir(), [](int line) { return line <= 10 || (line >= 11 && line <= 13); });
  const CommandResult result = RunCommand(program, {"--host", site.Host()});
  EXPECT_EQ(result.status, 0) << result.output;
  const std::string file = ReadBytes(dir.File("brand_code.csv"));
  EXPECT_FALSE(file.empty());
  EXPECT_TRUE(file.ends_with("\r\n"));
  EXPECT_TRUE(Contains(FirstLine(result.output), " dir=" + dir.Dir() + " ")) << result.output;
  // Standard error is a pipe here: plain lines, in catalogue order.
  EXPECT_TRUE(Contains(result.output, "\n[1/3] 水産・農林業: ")) << result.output;
  EXPECT_TRUE(Contains(result.output, "\n[2/3] 鉱業: ")) << result.output;
  EXPECT_TRUE(Contains(result.output, "\n[3/3] 銀行業: ")) << result.output;
  EXPECT_FALSE(Contains(result.output, "\r"));
  EXPECT_TRUE(Contains(result.output, "\n銘柄リストのダウンロードが終了しました。\n"));
}

TEST(RefreshCommandTest, AListThatCannotBeWrittenOrALockFileNotTheUsersOwnExits2BeforeAnyRequest) {
  const std::string list = "brand_code.csv", lock = ".quillivar-refresh.lock";
  struct Case {
    std::string name;   // made a read-only file, a FIFO, or a link to one
    mode_t mode;        // 0: a link
    std::string said;   // the reason, in both languages
  };
  const std::vector<Case> cases = {
      {list, 0444, " に brand_code.csv が書き込めません（ファイルへのアクセスが拒否されました）"},
      {list, 0, "brand_code.csv は通常のファイルではありません） / cannot write"},
      {lock, 0, lock + " はこのユーザーだけのロックファイルではありません（シンボリックリンクです。"},
      {lock, 0644, "is not a lock file of this user only: its group or others may open it (remove it)"}};
  for (const Case& listCase : cases) {
    SCOPED_TRACE(listCase.said);
    LoopbackSite site(Pages(OneRowPage));
    TempDir dir;
    WriteUserSetting(dir.Dir());
    WriteBytes(dir.File(list), "previous\r\n");
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0666), 0);
    const bool moved = listCase.name == list && listCase.mode == 0;
    if (moved) std::filesystem::rename(dir.File(list), dir.File("old"));
    if (listCase.mode == 0) {
      std::filesystem::create_symlink("fifo", dir.File(listCase.name));
    } else {
      WriteBytes(dir.File(listCase.name), "previous\r\n");
      ::chmod(dir.File(listCase.name).c_str(), listCase.mode);  // read-only for root too
    }
    const CommandResult result = RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(Contains(LastLine(result.output), listCase.said)) << result.output;
    EXPECT_EQ(site.RequestCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo")));
    EXPECT_EQ(ReadBytes(dir.File(moved ? "old" : list)), "previous\r\n");
  }
}

TEST(RefreshCommandTest, SettingsThatSelectNothingOrCannotBeReadExit1BeforeAnyRequest) {
  // Unlike the window, which goes on with what it has, the command stops:
  // nobody would see the selection it would write the list with.
  struct Case {
    std::string settings;  // "" for no file
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"", "UserSetting.dat が読めません（ファイルが見つかりません） / cannot read "},
      {UserSettingText([](int line) { return line > 10; }), "no market is selected in "},
      {UserSettingText([](int line) { return line <= 10; }), "no industry is selected in "},
      // A regular file whose every read fails, for root too.
      {"/proc/self/mem", "UserSetting.dat が読めません（I/O エラー (5)） / cannot read "},
      {"fifo", "UserSetting.dat はファイルではありません / "},
      {UserSettingText([](int) { return true; }).substr(0, 11 * 6),
       "UserSetting.dat の 12 行目がありません"},
  };
  for (const Case& settingsCase : cases) {
    LoopbackSite site(Pages(OneRowPage));
    TempDir dir;
    if (settingsCase.settings == "fifo") {
      ::mkfifo(dir.File("UserSetting.dat").c_str(), 0600);
    } else if (settingsCase.settings.starts_with("/")) {
      std::filesystem::create_symlink(settingsCase.settings, dir.File("UserSetting.dat"));
    } else if (!settingsCase.settings.empty()) {
      WriteBytes(dir.File("UserSetting.dat"), settingsCase.settings);
    }
    WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
    const CommandResult result = RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()});
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(Contains(LastLine(result.output), "失敗 / failed")) << result.output;
    EXPECT_TRUE(Contains(LastLine(result.output), settingsCase.reason)) << result.output;
    EXPECT_EQ(site.RequestCount(), 0u);
    EXPECT_EQ(ReadBytes(dir.File("brand_code.csv")), "previous\r\n");
  }
}

// A login page, a changed site or a renamed market gives pages without
// rows; the earlier list is compared only where the selection still reaches.
TEST(RefreshCommandTest, ANewListUnlikeTheSitesKeepsTheEarlierOneUnlessAccepted) {
  std::vector<const IndustryEntry*> industries;  // check boxes 12-14: settings lines 11-13
  for (const IndustryEntry& industry : IndustryCatalogue()) {
    if (industry.checkBox <= 14) industries.push_back(&industry);
  }
  const std::string second = SjisToUtf8(industries[1]->name);
  struct Case {
    std::vector<int> served;   // rows per industry now
    std::vector<int> earlier;  // rows per industry before; empty: no file
    int lastBox = 14;          // the last industry check box selected
    std::vector<std::string> more{};
    int status;
    std::string said{};
    std::uintmax_t sparseTo = 0;  // the earlier list made this large with a hole
  };
  const std::vector<Case> cases = {
      {{0, 0, 0}, {2, 2, 2}, 14, {}, 1, "3 業種のどのページにも銘柄がありませんでした"},
      {{0, 0, 0}, {}, 14, {}, 1, "新しい銘柄リストは 0 件です"},
      {{2, 0, 2}, {2, 2, 2}, 14, {}, 1, "銘柄が一つもなくなった業種：" + second + "\n"},
      {{1, 1, 1}, {4, 4, 4}, 14, {}, 1, "（これまでのリストで今の選択に当たるものは 12 件）"},
      {{0, 0, 0}, {2, 2, 2}, 14, {"--accept-shrink"}, 0, "--accept-shrink: 置き換えます"},
      {{2, 0, 2}, {2, 0, 2}, 14, {}, 0},  // an industry without rows before either
      {{2, 2, 2}, {2, 2, 2}, 13, {}, 0},  // the last one no longer selected
      // Past the bounds: no list to compare with, and the log says why.
      {{1, 1, 1}, {4, 4, 4}, 14, {}, 0, "previous=unreadable (I/O エラー (27) / File too large)",
       std::uintmax_t(1) << 30},
  };
  const auto rowsOf = [](std::size_t industry, int count) {
    std::vector<PageRow> rows;
    for (int k = 0; k < count; ++k) {
      rows.push_back({std::to_string(1300 + 200 * industry + k), "東証1部", "見本"});
    }
    return rows;
  };
  for (const Case& listCase : cases) {
    LoopbackSite site(Pages([&](const std::string& code, int) {
      std::size_t at = 0;
      while (at < industries.size() && industries[at]->code != code) ++at;
      return ListPage(code, at < industries.size() ? rowsOf(at, listCase.served[at])
                                                   : std::vector<PageRow>{});
    }));
    TempDir dir;
    WriteUserSetting(dir.Dir(), [&](int line) { return line <= listCase.lastBox - 1; });
    std::string earlier, served;
    for (std::size_t k = 0; k < industries.size(); ++k) {
      for (const PageRow& row : rowsOf(k, listCase.earlier.empty() ? 0 : listCase.earlier[k])) {
        earlier += WrittenRow(row, industries[k]->code) + "\r\n";
      }
      if (industries[k]->checkBox > listCase.lastBox) continue;
      for (const PageRow& row : rowsOf(k, listCase.served[k])) {
        served += WrittenRow(row, industries[k]->code) + "\r\n";
      }
    }
    if (!listCase.earlier.empty()) WriteBytes(dir.File("brand_code.csv"), earlier);
    if (listCase.sparseTo > 0) std::filesystem::resize_file(dir.File("brand_code.csv"), listCase.sparseTo);
    std::vector<std::string> arguments = {"--dir", dir.Dir(), "--host", site.Host()};
    arguments.insert(arguments.end(), listCase.more.begin(), listCase.more.end());
    const CommandResult result = RunCommand(kProgram, arguments);
    EXPECT_EQ(result.status, listCase.status) << result.output;
    EXPECT_TRUE(Contains(result.output, listCase.said)) << result.output;
    const bool kept = listCase.status != 0;
    if (kept) {
      EXPECT_TRUE(Contains(LastLine(result.output), "kept the earlier list")) << result.output;
    }
    if (kept && listCase.earlier.empty()) {
      EXPECT_FALSE(std::filesystem::exists(dir.File("brand_code.csv")));
    } else {
      EXPECT_TRUE(ReadBytes(dir.File("brand_code.csv")) == (kept ? earlier : served))
          << result.output;
    }
  }
}

TEST(RefreshCommandTest, StopSignalsDuringAPageThatDoesNotComeAbortAtOnceAndEndTheProcess) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2}) {
    SCOPED_TRACE(signal);
    LoopbackSite site(Pages(OneRowPage, "0050"));
    TempDir dir;
    WriteUserSetting(dir.Dir());
    WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
    const CommandResult result =
        RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()}, signal,
                   [&site] { return site.RequestCount() > 0; });
    // Ended by the signal itself, so a calling shell loop stops too.
    EXPECT_EQ(result.signal, signal) << result.output;
    EXPECT_LT(result.secondsAfterSignal, 2.0);
    EXPECT_TRUE(Contains(result.output, "\nダウンロード中止\n")) << result.output;
    EXPECT_TRUE(Contains(LastLine(result.output), "中止 / aborted")) << result.output;
    EXPECT_TRUE(Contains(LastLine(result.output), std::string("SIG") + ::sigabbrev_np(signal)));
    EXPECT_EQ(ReadBytes(dir.File("brand_code.csv")), "previous\r\n");
    EXPECT_EQ(FilesIn(dir), 3u);  // no temporary file left behind, the lock file kept
  }
}

TEST(RefreshCommandTest, ASecondRunOnTheSameFolderExits75WithoutARequest) {
  LoopbackSite site(Pages(OneRowPage, "0050"));  // the first run waits on its first page
  TempDir dir;
  WriteUserSetting(dir.Dir());
  CommandChild first(kProgram, {"--dir", dir.Dir(), "--host", site.Host()});
  ASSERT_TRUE(site.WaitForRequests(1, std::chrono::seconds(10)));
  const CommandResult second = RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()});
  EXPECT_EQ(second.status, 75);
  EXPECT_TRUE(Contains(LastLine(second.output), "another run is using " + dir.Dir()))
      << second.output;
  EXPECT_EQ(site.RequestCount(), 1u);
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Finish().signal, SIGTERM);
  EXPECT_EQ(FilesIn(dir), 2u);  // the lock file, kept for the next run
  EXPECT_EQ(std::filesystem::status(dir.File(".quillivar-refresh.lock")).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST(RefreshCommandTest, AClosedOrBrokenStandardErrorNeitherEndsNorChangesTheRun) {
  for (const StandardError standardError : {StandardError::Closed, StandardError::Broken}) {
    std::atomic<bool> looked{false};
    LoopbackSite site([&looked](const SiteRequest& request) {
      while (!looked) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return Reply{.body = OneRowPage(request.Param("ids"), 1)};
    });
    TempDir dir;
    WriteUserSetting(dir.Dir());
    CommandChild child(kProgram, {"--dir", dir.Dir(), "--host", site.Host()}, standardError);
    ASSERT_TRUE(site.WaitForRequests(1, std::chrono::seconds(10)));
    // No file the program opened took the closed descriptor of standard error.
    const std::string standardErrorFile =
        std::filesystem::read_symlink("/proc/" + std::to_string(child.Pid()) + "/fd/2");
    if (standardError == StandardError::Closed) {
      EXPECT_EQ(standardErrorFile, "/dev/null");
    }
    looked = true;
    const CommandResult result = child.Finish();
    EXPECT_EQ(result.status, 0) << result.signal;
    const std::string file = ReadBytes(dir.File("brand_code.csv"));
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 33);  // one row in each industry
    EXPECT_TRUE(file.starts_with("1301,")) << file;
    EXPECT_EQ(FilesIn(dir), 3u);
  }
}

TEST(RefreshCommandTest, TheFirstLineTellsTheRunAndTheLastTheCodesAddedAndRemoved) {
  const sample::SampleData data;
  LoopbackSite site(SamplePages(data));
  TempDir dir;
  WriteUserSetting(dir.Dir(), [](int line) { return line <= 10 || line == 11; });  // 水産・農林業
  const std::vector<std::string> arguments = {"--dir", dir.Dir(), "--host", site.Host(), "--"};
  ASSERT_EQ(RunCommand(kProgram, arguments).status, 0);
  // The earlier list: its first row gone, and a code the site does not have.
  std::string previous = ReadBytes(dir.File("brand_code.csv"));
  const std::string firstRow = previous.substr(0, previous.find("\r\n"));
  previous.erase(0, firstRow.size() + 2);
  const std::size_t rows = static_cast<std::size_t>(std::count(previous.begin(), previous.end(), '\n'));
  WriteBytes(dir.File("brand_code.csv"), previous + Sjis("1000,東証1部,消えた社,水産・農林業\r\n"));
  const CommandResult result = RunCommand(kProgram, arguments);
  EXPECT_EQ(result.status, 0) << result.output;
  // "quillivar-refresh V: 開始 / start 2026-12-08T07:30:00+09:00 host=H pid=N dir=D site=S"
  const std::string firstLine = FirstLine(result.output);
  const std::string head = "quillivar-refresh " QUILLIVAR_VERSION ": 開始 / start ";
  ASSERT_TRUE(firstLine.starts_with(head)) << firstLine;
  int date[6], offset[2];
  char sign = 0, end = 0;
  EXPECT_EQ(std::sscanf(firstLine.c_str() + head.size(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d%c",
                        &date[0], &date[1], &date[2], &date[3], &date[4], &date[5], &sign,
                        &offset[0], &offset[1], &end),
            10)
      << firstLine;
  EXPECT_TRUE((sign == '+' || sign == '-') && end == ' ') << firstLine;
  const std::size_t host = firstLine.find(" host="), pid = firstLine.find(" pid=", host);
  const std::size_t folder = firstLine.find(" dir=", pid), siteAt = firstLine.find(" site=", folder);
  ASSERT_TRUE(host != std::string::npos && siteAt != std::string::npos) << firstLine;
  EXPECT_EQ(firstLine.substr(folder + 5, siteAt - folder - 5), dir.Dir());
  EXPECT_EQ(firstLine.substr(siteAt + 6), site.Host());
  const std::size_t name = firstRow.find(',', 5) + 1;
  const std::string added =
      SjisToUtf8(firstRow.substr(0, 4) + " " + firstRow.substr(name, firstRow.find(',', name) - name));
  EXPECT_TRUE(Contains(LastLine(result.output),
                       "status 0: rows=" + std::to_string(rows + 1) + " previous=" +
                           std::to_string(rows + 1) + " added=1 (" + added +
                           ") removed=1 (1000 消えた社)"))
      << result.output;
}

// --notify through a stand-in service on a private bus, and --quiet: what the
// desktop and standard error are told; neither changes the exit status.
TEST(RefreshCommandTest, NotifiesWhatChangedOrFailedAndAQuietRunThatWorkedSaysNothing) {
  const std::string busRunner = "/usr/bin/dbus-run-session";
  if (!std::filesystem::exists(busRunner)) GTEST_SKIP() << "no " << busRunner << " (dbus-daemon)";
  enum class Bus { Answering, Silent, None };
  const std::string kept = "1000,東証1部,消えた社,水産・農林業\r\n";
  const std::string same = "1301,東証1部,見本水産,水産・農林業\r\n";
  struct Case {
    std::string earlier;  // brand_code.csv before, UTF-8; "-": none
    std::vector<std::string> options;
    Bus bus = Bus::Answering;
    bool siteUp = true, locked = false;
    int status = 0;
    std::string notice{};  // summary TAB body as recorded; "": none
    std::string said{};    // in the output
  };
  const std::vector<Case> cases = {
      {kept, {"--notify"}, Bus::Answering, true, false, 0,
       "銘柄リストを更新しました（追加 1 件、削除 1 件）\t全 1 件（これまで 1 件）\\n"
       "追加: 1301 見本水産\\n削除: 1000 消えた社"},
      {"-", {"--notify"}, Bus::Answering, true, false, 0,
       "銘柄リストを作成しました\tbrand_code.csv に 1 件を書き出しました"},
      {same, {"--notify"}},
      {kept, {"--notify"}, Bus::Answering, false, false, 1,
       "銘柄リストを更新できませんでした\t「水産・農林業」の 1 ページ目を取得できません（相場サイト HOST "
       "がエラー 404 を返しました）。銘柄リストは更新していません."},
      {kept, {"--notify"}, Bus::Answering, true, true, 75},
      {kept, {"--notify"}, Bus::None, true, false, 0, "",
       "通知を送れません / cannot send the notification: no session bus"},
      {kept, {"--notify"}, Bus::Silent, true, false, 0, "銘柄リストを更新しました",
       "cannot send the notification: no notification service answered within 2000 ms"},
      {kept, {"--notify", "-q"}, Bus::None},  // said nothing at all
      {kept, {"--quiet"}, Bus::None, false, false, 1, "", "status 1: 「水産・農林業」"},
  };
  TempDir runtime;  // a login's runtime folder without a bus in it
  ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ::setenv("XDG_RUNTIME_DIR", runtime.Dir().c_str(), 1);
  for (const Case& run : cases) {
    LoopbackSite site(run.siteUp ? Pages(OneRowPage)
                                 : LoopbackSite::Script([](const SiteRequest&) { return Reply{.status = 404}; }));
    TempDir dir;
    WriteUserSetting(dir.Dir(), [](int line) { return line <= 11; });  // 水産・農林業
    if (run.earlier != "-") WriteBytes(dir.File("brand_code.csv"), Sjis(run.earlier));
    const int lock = ::open(dir.File(".quillivar-refresh.lock").c_str(), O_CREAT | O_RDWR, 0600);
    ASSERT_TRUE(!run.locked || ::flock(lock, LOCK_EX) == 0);
    std::vector<std::string> arguments = {"--dir", dir.Dir(), "--host", site.Host()};
    arguments.insert(arguments.end(), run.options.begin(), run.options.end());
    const std::string record = dir.File("notices");
    std::string program = kProgram;
    if (run.bus != Bus::None) {
      arguments.insert(arguments.begin(), {"--", QUILLIVAR_NOTICE_RECORDER, record,
                                           run.bus == Bus::Silent ? "silent" : "answer", kProgram});
      program = busRunner;
    }
    const auto start = std::chrono::steady_clock::now();
    const CommandResult result = RunCommand(program, arguments);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(lock);
    const std::string context = run.options.back() + " " + run.earlier + "\n" + result.output;
    EXPECT_EQ(result.status, run.status) << context;
    std::string notice = run.notice;
    if (const std::size_t at = notice.find("HOST"); at != std::string::npos) notice.replace(at, 4, site.Host());
    const std::string recorded = std::filesystem::exists(record) ? ReadBytes(record) : "";
    EXPECT_EQ(recorded.empty(), notice.empty()) << context << recorded;
    EXPECT_TRUE(recorded.starts_with(notice.empty() ? "" : "Quillivar\t")) << recorded;
    EXPECT_TRUE(Contains(recorded, notice)) << context << recorded;
    const bool quiet = run.options.back() == "-q" || run.options.back() == "--quiet";
    if (quiet && run.status == 0) {
      EXPECT_EQ(result.output, "") << context;
    } else {
      EXPECT_TRUE(Contains(result.output, run.said)) << context;
      // The bus's own complaints may come first.
      EXPECT_TRUE(run.bus != Bus::None || FirstLine(result.output).starts_with("quillivar-refresh "))
          << context;
    }
    EXPECT_TRUE(run.bus != Bus::Silent || (seconds >= 2 && seconds < 6)) << seconds;
  }
}

// Images mounted through FUSE, as desktops mount sticks (root only).
TEST(RefreshCommandTest, TwoRunsInARowOnFileSystemsWithoutPermissionBitsOrOwners) {
  const std::vector<std::string> mounts = {
      "mkfs.exfat $0 && mount.exfat-fuse $(losetup -f --show $0) $1",  // every mode reads 0777
      "mkfs.vfat $0 && fusefat -o rw+ $0 $1"};  // fchown and fchmod answer ENOSYS
  int mounted = 0;
  for (const std::string& mount : mounts) {
    const TempDir images, dir;
    const std::string image = images.File("image"), folder = dir.Dir();
    if (::geteuid() != 0 || std::system(("truncate -s 32M " + image + " && sh -c '" + mount + "' " +
                                         image + " " + folder + " >/dev/null 2>&1").c_str()) != 0) {
      continue;
    }
    ++mounted;
    LoopbackSite site(Pages(OneRowPage));
    WriteUserSetting(folder);
    for (int run = 1; run <= 2; ++run) {
      const CommandResult result = RunCommand(kProgram, {"--dir", folder, "--host", site.Host()});
      EXPECT_EQ(result.status, 0) << mount << ", run " << run << ": " << result.output;
    }
    EXPECT_TRUE(ReadBytes(dir.File("brand_code.csv")).starts_with("1301,")) << mount;
    std::system(("umount " + folder + "; losetup -j " + image + " -O NAME -n | xargs -r losetup -d").c_str());
  }
  if (mounted < 2) GTEST_SKIP() << mounted << " of 2 images mounted (root, /dev/fuse, mkfs and FUSE tools)";
}
}  // namespace
}  // namespace quillivar::testing
