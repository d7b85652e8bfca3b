#include "quote/page_fetch.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <thread>
#include <unordered_set>

#include "quote/page_failure.h"
#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"
#include "text/error.h"

namespace quillivar {
namespace {

constexpr std::string_view kAgent = "MyApp";
constexpr std::string_view kListPagePrefix = "/stocks/qi/?ids=";
constexpr std::string_view kPageKey = "&p=";
constexpr std::size_t kChunkBytes = 1024;
// How long a pause before a retry may go without passing the abort point.
constexpr auto kPauseSlice = std::chrono::milliseconds(20);

std::string ListPageUrl(const std::string& host, const Text& industryCode,
                        long long pageNumber) {
  std::string url = "http://" + host;
  url.append(kListPagePrefix).append(industryCode).append(kPageKey);
  url.append(std::to_string(pageNumber));
  return url;
}

// The handles of one page: the request is closed before its session, on
// every way out.
struct PageHandles {
  std::unique_ptr<InternetSession> session;
  std::unique_ptr<InternetRequest> request;
  ~PageHandles() {
    request.reset();
    session.reset();
  }
};

TransferFailure TooLarge(std::size_t pageBytes) {
  return {.kind = TransferFailure::Kind::TooLarge,
          .detail = static_cast<long>(pageBytes / (1024 * 1024))};
}

// Appends the body, normalised, to the page text, until it ends or fails. A
// page is whole or it fails: a body past the byte bound, or one holding a
// zero byte, is never used in part; that is its failure.
std::optional<TransferFailure> ReadBody(const QuoteClient& client, InternetRequest& request,
                                        Text& pageText) {
  const std::size_t bound = client.bounds.pageBytes;
  std::array<char, kChunkBytes> buffer;
  std::size_t rawBytes = 0;
  while (true) {
    if (client.abortPoint.PumpAndTestAbort()) throw Error::Aborted();
    // One byte past the bound tells that the body is too long.
    const std::size_t asked = std::min(kChunkBytes, bound + 1 - rawBytes);
    const std::size_t count = std::min(request.Read(buffer.data(), asked), asked);
    if (count == 0) return std::nullopt;
    rawBytes += count;
    if (rawBytes > bound) return TooLarge(bound);
    const std::string_view chunk(buffer.data(), count);
    if (chunk.find('\0') != std::string_view::npos) {
      return TransferFailure{.kind = TransferFailure::Kind::ZeroByte};
    }
    AppendNormalised(pageText, chunk);
  }
}

// One try at one page, with handles of its own: the failure, if any.
std::optional<TransferFailure> TryPage(const QuoteClient& client, const std::string& url, Text& pageText) {
  PageHandles handles;
  if (client.progress) client.progress->PageStarted();
  handles.session = client.internet.Open(std::string(kAgent), client.abortPoint);
  if (!handles.session) return TransferFailure{.kind = TransferFailure::Kind::NoClient};
  handles.request = handles.session->OpenUrl(url);
  // Refused before a byte of it is read, however its transfer went on.
  if (handles.request->AnnouncedLength().value_or(0) > client.bounds.pageBytes) {
    return TooLarge(client.bounds.pageBytes);
  }
  if (const auto failure = handles.request->Failure()) return failure;
  const std::optional<TransferFailure> unread = ReadBody(client, *handles.request, pageText);
  if (unread) return unread;
  return handles.request->Failure();
}

std::chrono::milliseconds PauseBefore(const RetryPolicy& policy, std::size_t retry,
                                      const TransferFailure& failure) {
  const std::chrono::milliseconds pause = policy.pauses[retry];
  if (failure.retryAfter > policy.longestRetryAfter) return pause;
  return std::max<std::chrono::milliseconds>(pause, failure.retryAfter);
}

// Waits, passing the abort point.
void PauseUnlessAborted(AbortPoint& abortPoint, std::chrono::milliseconds pause) {
  const auto until = std::chrono::steady_clock::now() + pause;
  while (!abortPoint.PumpAndTestAbort()) {
    const auto left = until - std::chrono::steady_clock::now();
    if (left <= left.zero()) return;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(left, kPauseSlice));
  }
  throw Error::Aborted();
}

// The body of one page, tried again after a failure that may pass. A failure
// that remains raises the page's error.
Text FetchPage(const QuoteClient& client, const Text& industryCode,
                              long long pageNumber) {
  const std::string url = ListPageUrl(client.host, industryCode, pageNumber);
  const std::size_t retries = client.retries.pauses.size();
  for (std::size_t retry = 0;; ++retry) {
    Text pageText;
    const std::optional<TransferFailure> failure = TryPage(client, url, pageText);
    if (!failure) return pageText;
    const Text cause = TransferFailureText(*failure, client.host);
    if (!failure->IsTransient() || retry == retries) {
      // The notice of a retry would stay up after the run has ended.
      if (retry > 0 && client.progress) client.progress->Retrying(cause);
      throw Error(PageFailedMessage(industryCode, pageNumber, cause));
    }
    if (client.progress) {
      client.progress->Retrying(PageRetryStatus(industryCode, pageNumber, cause,
                                                static_cast<int>(retry + 1),
                                                static_cast<int>(retries)));
    }
    PauseUnlessAborted(client.abortPoint, PauseBefore(client.retries, retry, *failure));
  }
}

// The page text in Shift-JIS; a body that is not UTF-8 fails its page.
Text Converted(Text pageText, const Text& industryCode, long long pageNumber) {
  try {
    return Utf8ToSjisDropBom(std::move(pageText));
  } catch (const Error& error) {
    throw Error(PageFailedMessage(industryCode, pageNumber, error.Message()));
  }
}

// The rows taken from an industry's earlier pages, held as their places in
// the industry's rows, so that nothing is copied; rows compare whole.
class EarlierRows {
 public:
  explicit EarlierRows(const std::vector<StockRow>& rows)
      : rows_(rows), taken_(0, Hash{rows}, Same{rows}) {}

  // The rows from `pageStart` on are some, and every one was taken before.
  bool Repeats(std::size_t pageStart) const {
    if (pageStart == rows_.size()) return false;
    for (std::size_t at = pageStart; at < rows_.size(); ++at) {
      if (!taken_.contains(at)) return false;
    }
    return true;
  }
  void Take(std::size_t pageStart) {
    for (std::size_t at = pageStart; at < rows_.size(); ++at) taken_.insert(at);
  }

 private:
  struct Hash {
    const std::vector<StockRow>& rows;
    std::size_t operator()(std::size_t at) const {
      const StockRow& row = rows[at];
      const std::hash<std::string_view> hash;
      return hash(row.code) ^ (hash(row.name) * 31) ^ (hash(row.market) * 1009);
    }
  };
  struct Same {
    const std::vector<StockRow>& rows;
    bool operator()(std::size_t a, std::size_t b) const { return rows[a] == rows[b]; }
  };

  const std::vector<StockRow>& rows_;
  std::unordered_set<std::size_t, Hash, Same> taken_;
};

}  // namespace

std::string CompiledQuoteHost() { return QUILLIVAR_QUOTE_HOST; }

std::vector<StockRow> FetchIndustryRows(const QuoteClient& client, const Text& industryCode,
                                        std::size_t rowsTakenBefore) {
  StockRow fields;
  std::vector<StockRow> rows;
  EarlierRows earlier(rows);
  for (long long pageNumber = 1;; ++pageNumber) {
    const Text pageText = Converted(FetchPage(client, industryCode, pageNumber), industryCode,
                                    pageNumber);
    const bool lastPage = !HasNextPageLink(pageText, industryCode, pageNumber);
    const std::size_t pageStart = rows.size();
    ScanPageRows(pageText, industryCode, fields, rows, client.abortPoint);
    if (earlier.Repeats(pageStart)) {
      // A site that ignores the page number answers page 1 again and again.
      if (!lastPage) {
        throw Error(PageFailedMessage(industryCode, pageNumber, RepeatedPageCause(client.host)));
      }
      rows.resize(pageStart);
      break;
    }
    if (rowsTakenBefore + rows.size() > client.bounds.runRows) {
      throw Error(PageFailedMessage(industryCode, pageNumber, RunRowsCause(client.bounds.runRows)));
    }
    if (lastPage) break;
    if (pageNumber >= client.bounds.pages) {
      throw Error(PagesBoundMessage(industryCode, client.bounds.pages));
    }
    earlier.Take(pageStart);
  }
  FinishRows(rows);
  return rows;
}

}  // namespace quillivar
