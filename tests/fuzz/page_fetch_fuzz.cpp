// FetchIndustryRows against a scripted site whose pages are any bytes, read
// back in chunks of any size: the rows text is that of the page rules applied
// to the chunks the site served, pages are asked for in order with the right
// URL and user agent, each page's handles are closed (request first) before
// the next page and on every way out, and an abort at any pump gives no rows.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "page_reference.h"
#include "quote/internet.h"
#include "quote/page_failure.h"
#include "quote/page_fetch.h"
#include "quote/utf8tosjis.h"
#include "text/code_page.h"
#include "text/error.h"

namespace {

using quillivar::StockRow;
using quillivar::Text;
using namespace quillivar::fuzz;

constexpr std::string_view kHost = "quote.test:8931";

struct Site {
  std::vector<std::string> pages;  // page k is pages[k - 1]; later pages are empty
  long long failingPage = 0;       // that page has no session or no request
  bool failWithoutSession = false;
  std::uint32_t chunkSeed = 0;
  Text industryCode;
};

// What the client did with the site.
struct Visit {
  explicit Visit(const Site& site) : sizes(site.chunkSeed) {}
  ChunkSizes sizes;
  std::vector<std::vector<std::string>> served;  // per page, each read's bytes
  int liveSessions = 0;
  int liveRequests = 0;
};

class ScriptedRequest : public quillivar::InternetRequest {
 public:
  ScriptedRequest(std::string_view body, Visit& visit) : rest_(body), visit_(visit) {
    ++visit_.liveRequests;
  }
  ~ScriptedRequest() override { --visit_.liveRequests; }

  std::optional<quillivar::TransferFailure> Failure() const override { return failure; }

  std::optional<quillivar::TransferFailure> failure;

  std::size_t Read(char* buffer, std::size_t capacity) override {
    FUZZ_CHECK(capacity >= 1 && capacity <= 1024);
    if (failure) return 0;
    std::size_t count = visit_.sizes.Next();
    if (count > capacity) count = capacity;
    if (count > rest_.size()) count = rest_.size();
    if (count == 0) return 0;
    std::memcpy(buffer, rest_.data(), count);
    visit_.served.back().emplace_back(rest_.substr(0, count));
    rest_.remove_prefix(count);
    return count;
  }

 private:
  std::string_view rest_;
  Visit& visit_;
};

class ScriptedSession : public quillivar::InternetSession {
 public:
  ScriptedSession(const Site& site, Visit& visit) : site_(site), visit_(visit) {
    ++visit_.liveSessions;
  }
  ~ScriptedSession() override {
    FUZZ_CHECK(visit_.liveRequests == 0);  // the request is closed first
    --visit_.liveSessions;
  }

  std::unique_ptr<quillivar::InternetRequest> OpenUrl(const std::string& url) override {
    const auto page = static_cast<long long>(visit_.served.size()) + 1;
    FUZZ_CHECK(url == "http://" + std::string(kHost) + "/stocks/qi/?ids=" +
                          site_.industryCode + "&p=" + std::to_string(page));
    FUZZ_CHECK(page <= static_cast<long long>(site_.pages.size()) + 1);
    visit_.served.emplace_back();
    std::string_view body;
    if (page <= static_cast<long long>(site_.pages.size())) body = site_.pages[page - 1];
    auto request = std::make_unique<ScriptedRequest>(body, visit_);
    // Not worth another try, so the fetch neither pauses nor asks again.
    if (page == site_.failingPage) {
      request->failure = {.kind = quillivar::TransferFailure::Kind::HttpStatus, .detail = 404};
    }
    return request;
  }

 private:
  const Site& site_;
  Visit& visit_;
};

class ScriptedInternet : public quillivar::Internet {
 public:
  ScriptedInternet(const Site& site, Visit& visit) : site_(site), visit_(visit) {}

  std::unique_ptr<quillivar::InternetSession> Open(const std::string& agent,
                                                   quillivar::AbortPoint&) override {
    FUZZ_CHECK(agent == "MyApp");
    FUZZ_CHECK(visit_.liveSessions == 0);  // the last page's handles are closed
    const auto page = static_cast<long long>(visit_.served.size()) + 1;
    if (site_.failWithoutSession && page == site_.failingPage) {
      visit_.served.emplace_back();
      return nullptr;
    }
    return std::make_unique<ScriptedSession>(site_, visit_);
  }

 private:
  const Site& site_;
  Visit& visit_;
};

struct Fetched {
  std::optional<Text> rows;  // joined as the reference joins them
  Text failure;              // the error's message; empty without one
  long long pumps = 0;
};

Fetched Fetch(const Site& site, Visit& visit, long long abortAtPump) {
  bool abortRequested = false;
  AbortingPump ui(abortAtPump, abortRequested);
  quillivar::AbortPoint abortPoint(ui, abortRequested);
  ScriptedInternet internet(site, visit);
  const quillivar::QuoteClient client{internet, abortPoint, std::string(kHost)};
  Fetched fetched;
  try {
    fetched.rows = JoinedRows(quillivar::FetchIndustryRows(client, site.industryCode), false);
  } catch (const quillivar::Error& error) {
    if (!error.IsAborted()) fetched.failure = error.Message();
  }
  fetched.pumps = ui.pumpCount;
  FUZZ_CHECK(visit.liveSessions == 0 && visit.liveRequests == 0);
  return fetched;
}

// The page rules over what the site served, page by page.
struct Expected {
  Text rows;
  Text failure;
  std::size_t pages = 0;
  std::vector<long long> pumpsAfterPage;  // running total at the end of each page
};

Expected Reference(const Site& site, const Visit& visit) {
  using Kind = quillivar::TransferFailure::Kind;
  Expected expected;
  StockRow fields;
  Text rowsText;
  std::vector<StockRow> taken;  // the rows of the earlier pages
  long long pumps = 0;
  const auto failed = [&](long long page, const Text& cause) {
    expected.failure = quillivar::PageFailedMessage(site.industryCode, page, cause);
    expected.pumpsAfterPage.push_back(pumps);
    return expected;
  };
  for (long long page = 1;; ++page) {
    FUZZ_CHECK(static_cast<std::size_t>(page) <= visit.served.size());
    const std::vector<std::string>& reads = visit.served[page - 1];
    expected.pages = static_cast<std::size_t>(page);
    if (page == site.failingPage) {
      const Kind kind = site.failWithoutSession ? Kind::NoClient : Kind::HttpStatus;
      return failed(page, quillivar::TransferFailureText({.kind = kind, .detail = 404}, kHost));
    }
    Text collected;
    for (const std::string& read : reads) collected += read;
    // The read that brings a zero byte is the page's last.
    if (collected.find('\0') != Text::npos) {
      pumps += static_cast<long long>(reads.size());
      return failed(page, quillivar::TransferFailureText({.kind = Kind::ZeroByte}, kHost));
    }
    pumps += static_cast<long long>(reads.size()) + 1;  // and the empty read
    Text pageText;
    try {
      pageText = quillivar::Utf8ToSjisDropBom(ReferenceNormalise(collected));
    } catch (const quillivar::Error&) {
      return failed(page, "UTF-8 Unknown code.");
    }
    const std::string link = "<ahref=\"/stocks/qi/?ids=" + site.industryCode + "&p=" +
                             std::to_string(page + 1) + "\">";
    const bool lastPage = pageText.find(link) == Text::npos;
    Text pageLines;
    std::vector<StockRow> pageRows;
    pumps += ReferenceScan(pageText, site.industryCode, fields, pageLines, 0, &pageRows).pumps;
    const bool repeats = !pageRows.empty() && std::all_of(pageRows.begin(), pageRows.end(), [&](auto& row) {
      return std::any_of(taken.begin(), taken.end(), [&](auto& t) { return SameFields(row, t); });
    });
    if (repeats && !lastPage) return failed(page, quillivar::RepeatedPageCause(kHost));
    expected.pumpsAfterPage.push_back(pumps);
    if (repeats) break;  // the last page, not taken again
    rowsText += pageLines;
    taken.insert(taken.end(), pageRows.begin(), pageRows.end());
    if (lastPage) break;
  }
  expected.rows = ReferenceTrim(rowsText);
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  Site site;
  const auto& catalogue = quillivar::IndustryCatalogue();
  const auto choice = provider.ConsumeIntegralInRange<std::size_t>(0, catalogue.size());
  site.industryCode = choice < catalogue.size() ? catalogue[choice].code : Text("9999");
  site.failingPage = provider.ConsumeIntegralInRange<long long>(0, 4);
  site.failWithoutSession = provider.ConsumeBool();
  site.chunkSeed = provider.ConsumeIntegral<std::uint32_t>();
  const auto abortChoice = provider.ConsumeIntegral<std::uint16_t>();
  const int pageCount = provider.ConsumeIntegralInRange<int>(1, 3);
  const std::string body = provider.ConsumeRemainingBytesAsString();
  for (int k = 0; k < pageCount; ++k) {
    const std::size_t from = body.size() * static_cast<std::size_t>(k) / pageCount;
    const std::size_t to = body.size() * static_cast<std::size_t>(k + 1) / pageCount;
    site.pages.push_back(body.substr(from, to - from));
  }

  Visit visit(site);
  const Fetched fetched = Fetch(site, visit, 0);
  const Expected expected = Reference(site, visit);
  FUZZ_CHECK(visit.served.size() == expected.pages);
  FUZZ_CHECK(fetched.failure == expected.failure);
  if (expected.failure.empty()) {
    FUZZ_CHECK(fetched.rows.has_value());
    FUZZ_CHECK(*fetched.rows == expected.rows);
  }

  // The same visit aborted at one of its pumps: no rows, and no page after the
  // one that was being read.
  const long long abortAtPump = 1 + abortChoice % (fetched.pumps + 1);
  Visit aborted(site);
  const Fetched abortedFetch = Fetch(site, aborted, abortAtPump);
  if (abortAtPump <= fetched.pumps) {
    // The abort comes before any conversion or page fails.
    FUZZ_CHECK(abortedFetch.failure.empty());
    FUZZ_CHECK(!abortedFetch.rows.has_value());
    FUZZ_CHECK(abortedFetch.pumps == abortAtPump);
    std::size_t pageOfPump = 0;
    while (expected.pumpsAfterPage[pageOfPump] < abortAtPump) ++pageOfPump;
    FUZZ_CHECK(aborted.served.size() == pageOfPump + 1);
  } else {
    FUZZ_CHECK(abortedFetch.rows == fetched.rows);
    FUZZ_CHECK(abortedFetch.failure == fetched.failure);
  }
  return 0;
}
