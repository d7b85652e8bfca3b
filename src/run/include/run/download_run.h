// The download run behind "ダウンロード開始" and quillivar-refresh: every
// selected industry fetched, all rows kept in code order, the selected ones
// written to brand_code.csv. One call, one result; its presenters show it.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "pump/event_pump.h"
#include "quote/page_fetch.h"
#include "stocklist/list_changes.h"
#include "stocklist/stock_list_file.h"
#include "text/error.h"

namespace quillivar {

// The run's row slots, all emptied as it starts. Past them the list grows
// rather than dropping a row.
constexpr std::size_t kStockRowSlots = 10000;

// What a run tells as it goes; the page fetch's part is FetchProgress.
class RunObserver : public FetchProgress {
 public:
  // The status line's text: "銘柄リストダウンロード開始", then each row as it
  // is taken and as it is saved.
  virtual void ShowStatus(const Text& text) = 0;
  // A selected industry is about to be fetched.
  virtual void IndustryStarted(const Text& /*code*/) {}
  // Its fetch returned so many rows.
  virtual void IndustryFetched(std::size_t rows) = 0;
  // The new list looks unlike the site's list, for the reasons in `facts`
  // (SuspectListFacts): true when it may replace the earlier list all the same.
  virtual bool MayReplaceSuspectList(const Text& facts) = 0;
  // No market or no industry is selected, so the new list will be empty:
  // true when it may replace the earlier list all the same. Asked before any
  // request.
  virtual bool MayWriteEmptyList() = 0;
};

// Where the run writes its list. The window opens it at the write-out; the
// command opens it before its first request, so that a run that cannot write
// does not download for nothing.
struct ListTarget {
  std::string path;
  std::unique_ptr<StockListFile> opened;  // null: opened at the write-out
};

struct RunResult {
  // Kept: the new list would be empty or looked unlike the site's, and the
  // user kept the earlier one.
  // CannotWrite: the list could not be opened; it is as it was.
  // WriteFailed: an error while the list was written, before it was in place.
  // Failed: any other error; the list as it was, or replaced but not synced.
  enum class End { Written, Aborted, Kept, CannotWrite, WriteFailed, Failed };
  End end = End::Failed;
  // What the user is told of the end, Shift-JIS: the final message, the
  // status line's last text, or the error's message as raised.
  Text message;
  int errorCode = 0;               // the errno of a failed file operation
  // Failed: the new list is in place all the same, its folder not synced.
  bool replacedUnsynced = false;
  std::size_t stockRows = 0;       // the rows collected
  std::vector<StockRow> written;   // Written: the new list's rows
  // Written: the list it replaced, all its rows counted, and what the new one
  // changes against it; neither when there was none.
  std::optional<std::size_t> previousRows;
  ListChanges changes;
  // Why the list it replaced could not be read, so that nobody takes it for
  // no list.
  std::optional<Error> previousFailure;
};

// The whole run, once the user has said go: `selection` is read live, and
// `client.abortPoint` is every abort point. Raises nothing: every error ends
// in the result, after the list file is closed or dropped.
RunResult Download(const Selection& selection, ListTarget target, const QuoteClient& client,
                   RunObserver& observer);

// The rows of one industry. May raise an Error, which ends the run;
// Error::Aborted() ends it as aborted.
using IndustryFetch = std::function<std::vector<StockRow>(const Text& code)>;

// Download with the rows of each industry from `fetch` instead of the site.
RunResult DownloadRows(const Selection& selection, ListTarget target, AbortPoint& abortPoint,
                       const IndustryFetch& fetch, RunObserver& observer);

}  // namespace quillivar
