#include "quote/page_fetch.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"

namespace quillivar {
namespace {

constexpr std::string_view kAgent = "MyApp";
constexpr std::string_view kListPagePrefix = "/stocks/qi/?ids=";
constexpr std::string_view kPageKey = "&p=";
constexpr std::size_t kChunkBytes = 1024;

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

enum class BodyOutcome { Read, Aborted };

// Appends the body, normalised, to the page text. A body that reaches the
// page cap is cut there and used like a read that failed part-way.
BodyOutcome ReadBody(const QuoteClient& client, InternetRequest& request,
                     Text& pageText) {
  std::array<char, kChunkBytes + 1> buffer;
  std::size_t rawBytes = 0;
  while (rawBytes < kMaxPageBytes) {
    if (client.abortPoint.PumpAndTestAbort()) return BodyOutcome::Aborted;
    const std::size_t asked = std::min(kChunkBytes, kMaxPageBytes - rawBytes);
    const std::size_t count = std::min(request.Read(buffer.data(), asked), asked);
    // An empty read may be a wait that an abort ended.
    if (count == 0) {
      return client.abortPoint.AbortSeen() ? BodyOutcome::Aborted : BodyOutcome::Read;
    }
    rawBytes += count;
    buffer[count] = '\0';
    // The chunk ends at its first zero byte; the rest of the read is dropped.
    std::string_view chunk(buffer.data(), count);
    chunk = chunk.substr(0, chunk.find('\0'));
    AppendNormalised(pageText, chunk);
  }
  return BodyOutcome::Read;
}

}  // namespace

std::string CompiledQuoteHost() { return QUILLIVAR_QUOTE_HOST; }

std::optional<Text> FetchIndustryRows(const QuoteClient& client,
                                      const Text& industryCode) {
  RowFields fields;
  Text rowsText;
  for (long long pageNumber = 1;; ++pageNumber) {
    PageHandles handles;
    Text pageText;
    // No session ends the industry like a page that cannot be opened.
    handles.session = client.internet.Open(std::string(kAgent), client.abortPoint);
    if (handles.session) {
      handles.request =
          handles.session->OpenUrl(ListPageUrl(client.host, industryCode, pageNumber));
      // A request that could not be opened may be a wait that an abort ended.
      if (!handles.request && client.abortPoint.AbortSeen()) return std::nullopt;
    }
    if (handles.request &&
        ReadBody(client, *handles.request, pageText) == BodyOutcome::Aborted) {
      return std::nullopt;
    }
    pageText = Utf8ToSjisDropBom(std::move(pageText));
    const bool lastPage = !HasNextPageLink(pageText, industryCode, pageNumber);
    if (ScanPageRows(pageText, industryCode, fields, rowsText, client.abortPoint) ==
        ScanOutcome::Aborted) {
      return std::nullopt;
    }
    if (lastPage) break;
  }
  return FinishRowsText(rowsText);
}

}  // namespace quillivar
