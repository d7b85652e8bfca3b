// FetchIndustryRows: the rows of every list page of one industry.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "quote/internet.h"
#include "quote/page_parser.h"
#include "text/text.h"
#include "pump/event_pump.h"

namespace quillivar {

// Far above any real list (the whole market is under 5,000 issues in 33
// industries), so that a site that misbehaves ends the run, in bounded memory,
// rather than hold it without end. Past any of them the fetch fails.
struct FetchBounds {
  long long pages = 500;                       // of one industry
  std::size_t runRows = 100000;                // taken in one run, before the filter
  std::size_t pageBytes = 32u * 1024u * 1024u;  // of one body, or announced for it
};

// How often, and after what pause, a page whose failure may pass is tried
// again before it counts.
struct RetryPolicy {
  std::vector<std::chrono::milliseconds> pauses{std::chrono::seconds(1), std::chrono::seconds(3)};
  // A server's Retry-After up to this is waited out; a longer one is not.
  std::chrono::seconds longestRetryAfter{10};
};

// What a fetch tells as it goes; every call may be left as it is.
class FetchProgress {
 public:
  virtual ~FetchProgress() = default;
  // A page is requested: once per try, so a retry asks again.
  virtual void PageStarted() {}
  // The status line's text while a page waits to be tried again, and the
  // cause when it is given up after such a wait.
  virtual void Retrying(const Text& /*status*/) {}
};

struct QuoteClient {
  Internet& internet;
  AbortPoint& abortPoint;
  std::string host;  // "host" or "host:port"
  RetryPolicy retries{};
  FetchProgress* progress = nullptr;  // none: nobody follows the fetch
  FetchBounds bounds{};
};

// The host compiled into the program (QUILLIVAR_QUOTE_HOST).
std::string CompiledQuoteHost();

// The finished rows of all pages (FinishRows); an abort requested while it
// runs throws Error::Aborted(). A page that cannot be had whole, after its tries, raises an
// Error naming the industry, the page and the cause; so does a body that is
// not UTF-8 (its cause "UTF-8 Unknown code."), one past the byte bound or
// holding a zero byte, and a page past the bounds. A page whose rows were
// all taken from earlier pages is the last one if it links on no further, and
// is not taken again; linking on, it raises an Error. `rowsTakenBefore`: the
// rows the run took from earlier industries, for the run's bound.
std::vector<StockRow> FetchIndustryRows(const QuoteClient& client, const Text& industryCode,
                                        std::size_t rowsTakenBefore = 0);

}  // namespace quillivar
