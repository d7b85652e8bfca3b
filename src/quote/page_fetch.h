// FetchIndustryRows: every list page of one industry, as one rows text.
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

// A page whose body reaches this size is cut there, like a read that fails
// part-way, so that a body without end cannot exhaust memory.
constexpr std::size_t kMaxPageBytes = 32u * 1024u * 1024u;

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
};

// The host compiled into the program (QUILLIVAR_QUOTE_HOST).
std::string CompiledQuoteHost();

// The finished rows of all pages (FinishRows); no value when an abort was
// requested while it ran. A page that cannot be had whole, after its tries, raises an
// Error naming the industry, the page and the cause; so does a body that is
// not UTF-8 (its cause "UTF-8 Unknown code.").
std::optional<std::vector<StockRow>> FetchIndustryRows(const QuoteClient& client,
                                                       const Text& industryCode);

}  // namespace quillivar
