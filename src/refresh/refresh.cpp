#include "refresh/refresh.h"

#include <array>
#include <cstring>
#include <memory>
#include <optional>

#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "quote/page_fetch.h"
#include "refresh/folder_checks.h"
#include "run/change_report.h"
#include "refresh/progress_report.h"
#include "notify/session_bus_notifier.h"
#include "refresh/run_log.h"
#include "notify/run_notice.h"
#include "refresh/stop_signal.h"
#include "run/download_run.h"
#include "settings/settings_file.h"
#include "text/code_page.h"
#include "text/error.h"
#include "files/executable_directory.h"
#include "files/failure_text.h"
#include "ui/ui_texts.h"

namespace quillivar {
namespace {

// How a run ended: its exit status and what its last line says of it.
struct Outcome {
  int status = kExitError;
  std::string detail;  // UTF-8
  // False where a failed write may have changed brand_code.csv all the same.
  bool listAsItWas = true;
  std::optional<Notice> written = std::nullopt;  // what a written list is worth telling
};

// The cause in both languages, as every failed file operation of the
// command is told.
Outcome CannotWrite(const std::string& dir, int code) {
  const std::string path = dir + kStockListFileName;
  const FailureText what{LenientSjis(dir) + Sjis(" に ") + kStockListFileName + Sjis(" が書き込めません"),
                  "cannot write " + path};
  return {kExitCannotWrite, FailedOn(what, code, path).Line()};
}

std::string StopSignalName(int signal) { return std::string("SIG") + ::sigabbrev_np(signal); }

Outcome Download(const std::string& dir, const Selection& selection, ListTarget target,
                 AbortPoint& abortPoint, const RefreshOptions& options, const std::string& host,
                 const volatile std::sig_atomic_t& stopSignal, TerminalOutput& output) {
  ProgressReport progress(output, SelectedIndustryCount(selection), options.acceptShrink);
  CurlInternet internet;
  const RunResult result =
      quillivar::Download(selection, std::move(target), {internet, abortPoint, host}, progress);
  output.EndProgress();
  const std::string error = SjisToUtf8(ErrorBoxText(result.message));
  switch (result.end) {
    case RunResult::End::Written:
      output.Line(SjisToUtf8(result.message));
      return {kExitWritten, DescribeChanges(result), false, WrittenNotice(result)};
    case RunResult::End::CannotWrite:
      return CannotWrite(dir, result.errorCode);
    case RunResult::End::WriteFailed:
      // An in-place write cut short leaves the file incomplete.
      return {kExitCannotWrite, error, false};
    case RunResult::End::Kept:
      return {kExitError,
              "銘柄リストは更新していません（新しいリストが疑わしいため） / kept the earlier list: "
              "the new one looks unlike the site's list (--accept-shrink replaces it)"};
    case RunResult::End::Aborted:
      output.Line(SjisToUtf8(result.message));
      // Only a stop signal aborts here; the shells' convention for it.
      if (stopSignal == 0) return {kExitError, ""};
      return {128 + stopSignal, StopSignalName(stopSignal)};
    case RunResult::End::Failed:
      break;
  }
  // The one failure after the list was put in place: it is the new one.
  return {kExitError, error, !result.replacedUnsynced};
}

// A --dir that names no folder is a wrong command line, as the parser would
// say; one that cannot even be looked at is a folder the run cannot use.
std::optional<Outcome> FolderProblem(const std::string& dir) {
  const NamedFolder named = LookAtNamedFolder(dir);
  const std::optional<FailureText> problem = NamedFolderProblem(dir, named);
  if (!problem) return std::nullopt;
  if (named.state == NamedFolder::State::kCannotCheck) return Outcome{kExitCannotWrite, problem->Line()};
  return Outcome{kExitUsage, problem->Line() + " (quillivar-refresh --help)"};
}

// Packaged, without --dir: the files are in the user's data folder.
bool UsesDataFolder(const RefreshOptions& options) {
  return options.dir.empty() && BuiltInDefaultFolder() == DefaultFolder::kUserData;
}

Outcome LockFileRefused(const std::string& path, FolderLock::Refusal why) {
  // In the order of FolderLock::Refusal, from Link on.
  static constexpr std::array<std::array<const char*, 2>, 5> kReasons{{
      {"シンボリックリンクです", "it is a symbolic link"},
      {"通常のファイルではありません", "it is no regular file"},
      {"別のユーザーのファイルです", "it is another user's file"},
      {"グループかほかのユーザーも開けます", "its group or others may open it"},
      {"開けません", "it cannot be opened"},
  }};
  const auto& [japanese, english] = kReasons.at(static_cast<std::size_t>(why) - 1);
  return {kExitCannotWrite, path + " はこのユーザーだけのロックファイルではありません（" + japanese +
                                "。削除してください） / " + path +
                                " is not a lock file of this user only: " + english + " (remove it)"};
}

Outcome RunInFolder(const std::string& dir, const RefreshOptions& options, const std::string& site,
                    const volatile std::sig_atomic_t& stopSignal, TerminalOutput& output) {
  if (UsesDataFolder(options)) {
    if (const auto unready = DataFolderUnready(dir)) return {kExitError, unready->Line()};
  }
  if (std::optional<Outcome> problem = FolderProblem(dir)) return *problem;
  const FolderLock lock(dir);
  if (lock.Refused()) return LockFileRefused(dir + kFolderLockFileName, lock.Why());
  if (lock.HeldByAnotherRun()) {
    return {kExitBusy, dir + " で別の quillivar-refresh が実行中です / another run is using " + dir};
  }
  if (lock.Error() != 0) {
    // The file itself is still replaced safely; only a second run could
    // download the same list at the same time.
    const FailureText what{LenientSjis(dir) + Sjis(" をロックできません"), "cannot lock " + dir};
    output.Line("quillivar-refresh: " + FailedOn(what, lock.Error(), dir).Line());
  }
  SelectionFlags flags{};
  if (const auto unfit = SettingsUnfitForUnattendedRun(dir, flags)) return {kExitError, unfit->Line()};
  StopSignalPump pump(stopSignal);
  AbortPoint abortPoint(pump, pump.AbortRequested);
  // The save's own first steps, before the first request: a list that cannot
  // be written is not downloaded for nothing.
  ListTarget target{dir + kStockListFileName, nullptr};
  try {
    target.opened = std::make_unique<StockListFile>(target.path, abortPoint);
  } catch (const Error& error) {
    if (error.IsAborted()) return {128 + stopSignal, StopSignalName(stopSignal)};
    return CannotWrite(dir, error.Code());
  }
  return Download(dir, FlagsSelection(flags), std::move(target), abortPoint, options, site,
                  stopSignal, output);
}

// Only what somebody should look at: a list that changed, or a run that
// failed for a reason a later run will not mend by itself (not 75: another
// run is under way; not a wrong command line; not a stop signal).
std::optional<Notice> NoticeOf(const Outcome& outcome) {
  if (outcome.status == kExitWritten) return outcome.written;
  if (outcome.status == kExitError || outcome.status == kExitCannotWrite) {
    return FailedNotice(outcome.detail, outcome.listAsItWas);
  }
  return std::nullopt;
}

// A desktop that cannot be told changes nothing in the run nor its status.
void Notify(const Outcome& outcome, TerminalOutput& output) {
  const std::optional<Notice> notice = NoticeOf(outcome);
  if (!notice) return;
  SessionBusNotifier notifier("Quillivar", NoticeIcon());
  if (const std::optional<std::string> failure = notifier.Send(*notice)) {
    output.Line("quillivar-refresh: 通知を送れません / cannot send the notification: " + *failure);
  }
}

}  // namespace

int RunRefresh(const RefreshOptions& options, const volatile std::sig_atomic_t& stopSignal,
               TerminalOutput& output) {
  const std::string dir = UsesDataFolder(options) ? UserDataFolder() : ProgramFolder(options.dir);
  const std::string site = options.host.empty() ? CompiledQuoteHost() : options.host;
  RunLog log(output);
  log.Started(dir, site);
  Outcome outcome;
  try {
    outcome = RunInFolder(dir, options, site, stopSignal, output);
  } catch (...) {
    outcome = {kExitError, SjisToUtf8(MessageOfCurrentException())};
  }
  if (options.notify) Notify(outcome, output);
  log.Ended(outcome.status, outcome.detail);
  return outcome.status;
}

}  // namespace quillivar
