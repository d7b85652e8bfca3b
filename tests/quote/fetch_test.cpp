// FetchIndustryRows over a scripted Internet (exact chunks, handle order)
// and over libcurl against loopback servers (what goes over the wire).
#include "quote/page_fetch.h"

#include <gtest/gtest.h>

#include <chrono>

#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "quote/fetch_test_support.h"
#include "support/fake_ui.h"
#include "support/list_page.h"
#include "support/loopback_site.h"
#include "text/code_page.h"
#include "text/error.h"

namespace quillivar {
namespace {

using testing::FakeInternet;
using testing::FakeUi;
using testing::ListPage;
using testing::LoopbackSite;
using testing::PageRow;
using testing::Reply;
using testing::SiteRequest;

Text Row(const PageRow& row) { return testing::WrittenRow(row, "2050"); }

const PageRow kRowA{"1301", "東証1部", "見本建設"};
const PageRow kRowB{"1302", "JASDAQ", "朝霧工務店"};
const PageRow kRowC{"1303", "名証2部", "ｱｵﾊﾞ組"};

std::string ListUrl(const std::string& host, int page) {
  return "http://" + host + "/stocks/qi/?ids=2050&p=" + std::to_string(page);
}

std::vector<std::string> Split(const std::string& body, std::size_t size) {
  std::vector<std::string> reads;
  for (std::size_t at = 0; at < body.size(); at += size) reads.push_back(body.substr(at, size));
  return reads;
}

std::string UnknownCodeMessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const Error& error) {
    return error.Message();
  }
  return "(no error)";
}

class FakeFetchTest : public ::testing::Test {
 protected:
  static constexpr const char* kHost = "quotes.test";
  std::optional<Text> Fetch() {
    AbortPoint abortPoint(ui, abortRequested);
    return FetchIndustryRows({internet, abortPoint, kHost}, "2050");
  }
  void SetPage(int page, std::vector<std::string> reads, std::string endless = "") {
    internet.bodies[ListUrl(kHost, page)] = {std::move(reads), std::move(endless)};
  }

  FakeInternet internet;
  FakeUi ui;
  bool abortRequested = false;
};

TEST_F(FakeFetchTest, AZeroByteDropsTheRestOfItsOwnReadOnly) {
  const std::string body = ListPage("2050", {{"1301", "東証1部", "abcd"}});
  const std::size_t name = body.find("abcd");
  SetPage(1, {body.substr(0, name + 2), std::string("c\0XY</a>", 8), body.substr(name + 3)});
  EXPECT_EQ(Fetch(), Row({"1301", "東証1部", "abcd"}));
}

TEST_F(FakeFetchTest, HowTheBodyIsChunkedDoesNotChangeTheRows) {
  const std::string body = ListPage("2050", {kRowA, kRowB, kRowC});
  for (const std::size_t size : {1u, 2u, 5u, 1000u, 1024u}) {
    internet.capacities.clear();
    SetPage(1, Split(body, size));
    EXPECT_EQ(Fetch(), Row(kRowA) + "\r\n" + Row(kRowB) + "\r\n" + Row(kRowC)) << size;
    for (const std::size_t asked : internet.capacities) EXPECT_EQ(asked, 1024u);
  }
}

TEST_F(FakeFetchTest, EachPageClosesItsRequestThenItsSession) {
  SetPage(1, {ListPage("2050", {kRowA}, 2)});
  SetPage(2, {ListPage("2050", {kRowB})});
  EXPECT_EQ(Fetch(), Row(kRowA) + "\r\n" + Row(kRowB));
  const std::vector<std::string> expected = {
      "open MyApp", "url " + ListUrl(kHost, 1), "close request", "close session",
      "open MyApp", "url " + ListUrl(kHost, 2), "close request", "close session"};
  EXPECT_EQ(internet.log, expected);
}

TEST_F(FakeFetchTest, AnAbortWhilePageTwoIsReadClosesItsHandlesAndEndsTheCall) {
  SetPage(1, {ListPage("2050", {kRowA}, 2)});
  SetPage(2, Split(ListPage("2050", {kRowB}, 3), 100));
  SetPage(3, {ListPage("2050", {kRowC})});
  // Page 1: a read and the final empty read, then one row and the scan's end.
  // Pump 6 comes before the second read of page 2.
  ui.AtPump(6, [this] { abortRequested = true; });
  EXPECT_EQ(Fetch(), std::nullopt);
  const std::vector<std::string> tail = {"url " + ListUrl(kHost, 2), "close request",
                                         "close session"};
  EXPECT_EQ(std::vector<std::string>(internet.log.end() - 3, internet.log.end()), tail);
  EXPECT_EQ(internet.capacities.size(), 3u);  // two reads of page 1, one of page 2
}

TEST_F(FakeFetchTest, TheConversionErrorPassesAfterTheHandlesAreClosed) {
  SetPage(1, {ListPage("2050", {kRowA}, 2)});
  SetPage(2, {"\xEF\xBB\xBF<p>\x80</p><a href=\"/stocks/qi/?ids=2050&p=3\">"});
  EXPECT_EQ(UnknownCodeMessageOf([this] { Fetch(); }), "UTF-8 Unknown code.");
  EXPECT_EQ(internet.log.back(), "close session");
  EXPECT_EQ(internet.log[internet.log.size() - 2], "close request");
  EXPECT_EQ(internet.log.size(), 8u);  // page 3 never requested
}

TEST_F(FakeFetchTest, WhatCannotBeOpenedEndsTheIndustry) {
  internet.noSession = true;
  EXPECT_EQ(Fetch(), "");
  EXPECT_EQ(internet.log, std::vector<std::string>{"open MyApp"});

  internet.noSession = false;
  internet.log.clear();
  SetPage(1, {ListPage("2050", {kRowA}, 2)});  // page 2 cannot be opened
  EXPECT_EQ(Fetch(), Row(kRowA));
  const std::vector<std::string> tail = {"open MyApp", "url " + ListUrl(kHost, 2),
                                         "close session"};
  EXPECT_EQ(std::vector<std::string>(internet.log.begin() + 4, internet.log.end()), tail);
}

TEST_F(FakeFetchTest, ABodyWithoutEndIsCutAtThePageCap) {
  std::string head = ListPage("2050", {kRowA});
  SetPage(1, {head}, std::string(1024, ' '));
  EXPECT_EQ(Fetch(), Row(kRowA));
  EXPECT_EQ(internet.bytesServed, kMaxPageBytes);
  EXPECT_EQ(internet.log.back(), "close session");
}

// Over libcurl: short limits so that a fault shows as a failure, not a hang.
class CurlFetchTest : public ::testing::Test {
 protected:
  CurlFetchTest() {
    options.connectTimeout = std::chrono::milliseconds(2000);
    options.stallTimeout = std::chrono::milliseconds(2000);
  }
  // A fresh client per call: its kept connections close before the server.
  std::optional<Text> Fetch(const std::string& host, UiServices& fetchUi) {
    CurlInternet internet(options);
    AbortPoint abortPoint(fetchUi, abortRequested);
    return FetchIndustryRows({internet, abortPoint, host}, "2050");
  }
  std::optional<Text> Fetch(const std::string& host) { return Fetch(host, ui); }

  CurlInternet::Options options;
  FakeUi ui;
  bool abortRequested = false;
};

// Answers page N from a table; pages missing from it get a page without rows.
LoopbackSite::Script Pages(std::map<std::string, std::string> pages, int status = 200) {
  return [pages = std::move(pages), status](const SiteRequest& request) {
    const auto found = pages.find(request.Param("p"));
    return Reply{.status = status,
                 .body = found != pages.end() ? found->second : ListPage("2050", {})};
  };
}

// One field of every request the site was sent, in order.
template <typename Field>
std::vector<Field> Each(const LoopbackSite& site, Field SiteRequest::*field) {
  std::vector<Field> values;
  for (const SiteRequest& request : site.Requests()) values.push_back(request.*field);
  return values;
}

TEST_F(CurlFetchTest, APageWithoutNextLinkIsTheOnlyRequest) {
  LoopbackSite site(Pages({{"1", ListPage("2050", {kRowA, kRowB})}}));
  EXPECT_EQ(Fetch(site.Host()), Row(kRowA) + "\r\n" + Row(kRowB));
  EXPECT_EQ(Each(site, &SiteRequest::target),
            std::vector<std::string>{"/stocks/qi/?ids=2050&p=1"});
  EXPECT_EQ(Each(site, &SiteRequest::agent), std::vector<std::string>{"MyApp"});
}

TEST_F(CurlFetchTest, ThreePagesComeBackInPageOrderOverOneConnection) {
  LoopbackSite site(Pages({{"1", ListPage("2050", {kRowA}, 2)},
                           {"2", ListPage("2050", {kRowB}, 3)},
                           {"3", ListPage("2050", {kRowC})}}));
  EXPECT_EQ(Fetch(site.Host()), Row(kRowA) + "\r\n" + Row(kRowB) + "\r\n" + Row(kRowC));
  const std::vector<std::string> targets = {
      "/stocks/qi/?ids=2050&p=1", "/stocks/qi/?ids=2050&p=2", "/stocks/qi/?ids=2050&p=3"};
  EXPECT_EQ(Each(site, &SiteRequest::target), targets);
  const std::vector<int> ports = Each(site, &SiteRequest::remotePort);
  EXPECT_EQ(std::count(ports.begin(), ports.end(), ports.front()), 3);
}

TEST_F(CurlFetchTest, ARefusedFirstPageGivesTheEmptyText) {
  EXPECT_EQ(Fetch("127.0.0.1:" + std::to_string(testing::ClosedPort())), "");
}

TEST_F(CurlFetchTest, AnErrorStatusWithABodyIsParsedLikeAPage) {
  LoopbackSite site(Pages({{"1", ListPage("2050", {kRowA}, 2)},
                           {"2", ListPage("2050", {kRowB})}},
                          404));
  EXPECT_EQ(Fetch(site.Host()), Row(kRowA) + "\r\n" + Row(kRowB));
  EXPECT_EQ(Each(site, &SiteRequest::target).size(), 2u);
}

TEST_F(CurlFetchTest, APageTwoThatIsNotAnsweredEndsTheIndustry) {
  LoopbackSite site([](const SiteRequest& request) {
    if (request.Param("p") == "2") return Reply::HangUp();  // closed without a word
    const bool first = request.Param("p") == "1";
    return Reply{.body = first ? ListPage("2050", {kRowA}, 2) : ListPage("2050", {kRowC}),
                 .then = Reply::Then::Close};
  });
  EXPECT_EQ(Fetch(site.Host()), Row(kRowA));
  const std::vector<std::string> lines = Each(site, &SiteRequest::line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "GET /stocks/qi/?ids=2050&p=2 HTTP/1.1");
}

TEST_F(CurlFetchTest, AConnectionResetMidBodyUsesTheBodySoFar) {
  LoopbackSite site([](const SiteRequest&) {
    const std::string body = ListPage("2050", {kRowA, kRowB}, 2);
    return Reply{.body = body.substr(0, body.find(kRowB.name)),
                 .promised = 100000,
                 .then = Reply::Then::Reset};
  });
  // Row B's code and market made it; its name did not.
  EXPECT_EQ(Fetch(site.Host()), Row(kRowA) + "\r\n" + Row({kRowB.code, kRowB.market, ""}));
}

TEST_F(CurlFetchTest, ServersThatStallAreGivenUpAtTheLimit) {
  options.stallTimeout = std::chrono::milliseconds(300);
  const auto timed = [this](const std::string& host) {
    const auto start = std::chrono::steady_clock::now();
    const std::optional<Text> rows = Fetch(host);
    EXPECT_GE(std::chrono::steady_clock::now() - start, options.stallTimeout);
    return rows;
  };
  LoopbackSite silent([](const SiteRequest&) { return Reply::Silent(); });
  EXPECT_EQ(timed(silent.Host()), "");

  LoopbackSite stalling([](const SiteRequest&) {
    return Reply{.body = ListPage("2050", {kRowA}), .promised = 1000, .then = Reply::Then::Hold};
  });
  EXPECT_EQ(timed(stalling.Host()), Row(kRowA));
}

// Sets the abort flag at the second pump after page 2 was requested: after
// its first chunk has been read.
class AbortOnPageTwo : public FakeUi {
 public:
  AbortOnPageTwo(LoopbackSite& site, bool& abortRequested)
      : site_(site), abortRequested_(abortRequested) {}
  void PumpEvents() override {
    FakeUi::PumpEvents();
    if (site_.RequestCount() == 2 && ++pumpsOnPageTwo_ == 2) abortRequested_ = true;
  }

 private:
  LoopbackSite& site_;
  bool& abortRequested_;
  int pumpsOnPageTwo_ = 0;
};

TEST_F(CurlFetchTest, AnAbortWhilePageTwoIsReadGivesNoResultAndNoPageThree) {
  LoopbackSite site(Pages({{"1", ListPage("2050", {kRowA}, 2)},
                           {"2", ListPage("2050", std::vector<PageRow>(200, kRowB), 3)},
                           {"3", ListPage("2050", {kRowC})}}));
  AbortOnPageTwo abortingUi(site, abortRequested);
  EXPECT_EQ(Fetch(site.Host(), abortingUi), std::nullopt);
  EXPECT_EQ(Each(site, &SiteRequest::target).size(), 2u);
}

TEST_F(CurlFetchTest, InvalidUtf8RaisesTheConversionError) {
  LoopbackSite site(Pages({{"1", "\xEF\xBB\xBF<html>\xC3\xA9\xFE</html>"}}));
  EXPECT_EQ(UnknownCodeMessageOf([&] { Fetch(site.Host()); }), "UTF-8 Unknown code.");
}

}  // namespace
}  // namespace quillivar
