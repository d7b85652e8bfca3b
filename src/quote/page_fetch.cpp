#include "quote/page_fetch.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <thread>

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

// Appends the body, normalised, to the page text, until it ends, fails or an
// abort is seen (the abort point tells which). A body that reaches the page
// cap is cut there and used like a read that failed part-way.
void ReadBody(const QuoteClient& client, InternetRequest& request, Text& pageText) {
  std::array<char, kChunkBytes + 1> buffer;
  std::size_t rawBytes = 0;
  while (rawBytes < kMaxPageBytes && !client.abortPoint.PumpAndTestAbort()) {
    const std::size_t asked = std::min(kChunkBytes, kMaxPageBytes - rawBytes);
    const std::size_t count = std::min(request.Read(buffer.data(), asked), asked);
    if (count == 0) return;
    rawBytes += count;
    buffer[count] = '\0';
    // The chunk ends at its first zero byte; the rest of the read is dropped.
    std::string_view chunk(buffer.data(), count);
    chunk = chunk.substr(0, chunk.find('\0'));
    AppendNormalised(pageText, chunk);
  }
}

enum class PageOutcome { Read, Aborted, Failed };

struct PageTry {
  PageOutcome outcome;
  TransferFailure failure{};
};

// One try at one page, with handles of its own.
PageTry TryPage(const QuoteClient& client, const std::string& url, Text& pageText) {
  PageHandles handles;
  if (client.progress) client.progress->PageStarted();
  handles.session = client.internet.Open(std::string(kAgent), client.abortPoint);
  if (!handles.session) {
    return {PageOutcome::Failed, {.kind = TransferFailure::Kind::NoClient}};
  }
  handles.request = handles.session->OpenUrl(url);
  if (client.abortPoint.AbortSeen()) return {PageOutcome::Aborted};
  if (const auto failure = handles.request->Failure()) return {PageOutcome::Failed, *failure};
  ReadBody(client, *handles.request, pageText);
  if (client.abortPoint.AbortSeen()) return {PageOutcome::Aborted};
  if (const auto failure = handles.request->Failure()) return {PageOutcome::Failed, *failure};
  return {PageOutcome::Read};
}

std::chrono::milliseconds PauseBefore(const RetryPolicy& policy, std::size_t retry,
                                      const TransferFailure& failure) {
  const std::chrono::milliseconds pause = policy.pauses[retry];
  if (failure.retryAfter > policy.longestRetryAfter) return pause;
  return std::max<std::chrono::milliseconds>(pause, failure.retryAfter);
}

// Waits, passing the abort point; false when an abort was seen.
bool PauseUnlessAborted(AbortPoint& abortPoint, std::chrono::milliseconds pause) {
  const auto until = std::chrono::steady_clock::now() + pause;
  while (!abortPoint.PumpAndTestAbort()) {
    const auto left = until - std::chrono::steady_clock::now();
    if (left <= left.zero()) return true;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(left, kPauseSlice));
  }
  return false;
}

// The body of one page, tried again after a failure that may pass; no value
// on an abort. A failure that remains raises the page's error.
std::optional<Text> FetchPage(const QuoteClient& client, const Text& industryCode,
                              long long pageNumber) {
  const std::string url = ListPageUrl(client.host, industryCode, pageNumber);
  const std::size_t retries = client.retries.pauses.size();
  for (std::size_t retry = 0;; ++retry) {
    Text pageText;
    const PageTry page = TryPage(client, url, pageText);
    if (page.outcome == PageOutcome::Read) return pageText;
    if (page.outcome == PageOutcome::Aborted) return std::nullopt;
    if (!page.failure.IsTransient() || retry == retries) {
      // The notice of a retry would stay up after the run has ended.
      if (retry > 0 && client.progress) client.progress->Retrying(TransferFailureText(page.failure));
      throw Error(PageFailedMessage(industryCode, pageNumber, page.failure));
    }
    if (client.progress) {
      client.progress->Retrying(PageRetryStatus(industryCode, pageNumber, page.failure,
                                        static_cast<int>(retry + 1), static_cast<int>(retries)));
    }
    if (!PauseUnlessAborted(client.abortPoint, PauseBefore(client.retries, retry, page.failure))) {
      return std::nullopt;
    }
  }
}

}  // namespace

std::string CompiledQuoteHost() { return QUILLIVAR_QUOTE_HOST; }

std::optional<std::vector<StockRow>> FetchIndustryRows(const QuoteClient& client,
                                                       const Text& industryCode) {
  StockRow fields;
  std::vector<StockRow> rows;
  for (long long pageNumber = 1;; ++pageNumber) {
    std::optional<Text> pageText = FetchPage(client, industryCode, pageNumber);
    if (!pageText) return std::nullopt;
    try {
      *pageText = Utf8ToSjisDropBom(std::move(*pageText));
    } catch (const Error& error) {
      throw Error(PageFailedMessage(industryCode, pageNumber, error.Message()));
    }
    const bool lastPage = !HasNextPageLink(*pageText, industryCode, pageNumber);
    if (ScanPageRows(*pageText, industryCode, fields, rows, client.abortPoint) ==
        ScanOutcome::Aborted) {
      return std::nullopt;
    }
    if (lastPage) break;
  }
  FinishRows(rows);
  return rows;
}

}  // namespace quillivar
