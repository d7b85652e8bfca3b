// FetchIndustryRows over a scripted Internet (exact chunks, handle order)
// and over libcurl against loopback servers (what goes over the wire).
#include "quote/page_fetch.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "quote/fetch_test_support.h"
#include "support/fake_ui.h"
#include "testkit/list_page.h"
#include "testkit/loopback_site.h"
#include "testkit/temp_dir.h"
#include "support/rows_text.h"
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
    return testing::RowsUnlessAborted([&] { return FetchIndustryRows({internet, abortPoint, kHost}, "2050"); });
  }
  void SetPage(int page, std::vector<std::string> reads, std::string endless = "") {
    internet.bodies[ListUrl(kHost, page)] = {std::move(reads), std::move(endless)};
  }

  FakeInternet internet;
  FakeUi ui;
  bool abortRequested = false;
};

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
  EXPECT_EQ(UnknownCodeMessageOf([this] { Fetch(); }),
            Sjis("「建設業」の 2 ページ目を取得できません（UTF-8 Unknown code.）。"
                 "銘柄リストは更新していません"));
  EXPECT_EQ(internet.log.back(), "close session");
  EXPECT_EQ(internet.log[internet.log.size() - 2], "close request");
  EXPECT_EQ(internet.log.size(), 8u);  // page 3 never requested
}

TEST_F(FakeFetchTest, WhatCannotBeHadEndsTheFetchWithItsPageAndCause) {
  internet.noSession = true;
  EXPECT_EQ(UnknownCodeMessageOf([this] { Fetch(); }),
            Sjis("「建設業」の 1 ページ目を取得できません（通信を開始できません）。"
                 "銘柄リストは更新していません"));
  EXPECT_EQ(internet.log, std::vector<std::string>{"open MyApp"});

  internet.noSession = false;
  internet.log.clear();
  SetPage(1, {ListPage("2050", {kRowA}, 2)});  // page 2 answers 404, not tried again
  EXPECT_EQ(UnknownCodeMessageOf([this] { Fetch(); }),
            Sjis(std::string("「建設業」の 2 ページ目を取得できません（相場サイト ") + kHost +
                 " がエラー 404 を返しました）。銘柄リストは更新していません"));
  const std::vector<std::string> tail = {"open MyApp", "url " + ListUrl(kHost, 2),
                                         "close request", "close session"};
  EXPECT_EQ(std::vector<std::string>(internet.log.begin() + 4, internet.log.end()), tail);
}

TEST_F(FakeFetchTest, ABodyWithoutEndFailsOneBytePastThePageBound) {
  SetPage(1, {ListPage("2050", {kRowA})}, std::string(1024, ' '));
  EXPECT_EQ(UnknownCodeMessageOf([this] { Fetch(); }),
            Sjis("「建設業」の 1 ページ目を取得できません（ページが 32 MiB を超えています）。"
                 "銘柄リストは更新していません"));
  EXPECT_EQ(internet.bytesServed, FetchBounds{}.pageBytes + 1);
  EXPECT_EQ(internet.log.size(), 4u);  // not tried again
}

// Over libcurl: short limits so that a fault shows as a failure, not a hang.
class CurlFetchTest : public ::testing::Test {
 protected:
  CurlFetchTest() {
    options.connectTimeout = std::chrono::milliseconds(2000);
    options.stallTimeout = std::chrono::milliseconds(2000);
  }
  // A fresh client per call: its kept connections close before the server.
  std::optional<Text> Fetch(const std::string& host, EventPump& fetchUi) {
    CurlInternet internet(options);
    AbortPoint abortPoint(fetchUi, abortRequested);
    QuoteClient client{internet, abortPoint, host, {.pauses = {kNoPause, kNoPause}}};
    client.progress = &retries;
    client.bounds = bounds;
    return testing::RowsUnlessAborted([&] { return FetchIndustryRows(client, "2050"); });
  }
  std::optional<Text> Fetch(const std::string& host) { return Fetch(host, ui); }

  // The codes of the rows, or the page and cause of the error, in UTF-8.
  std::string OutcomeOf(const std::string& host) {
    try {
      const std::optional<Text> rows = Fetch(host);
      std::string codes;
      for (std::size_t at = 0; rows && at < rows->size(); at = rows->find("\r\n", at) + 2) {
        codes += (codes.empty() ? "" : " ") + rows->substr(at, 4);
        if (rows->find("\r\n", at) == Text::npos) break;
      }
      return codes;
    } catch (const Error& error) {
      const std::string message = SjisToUtf8(error.Message());
      // Past the page bound the message names no page of its own.
      if (message.find("（") == std::string::npos) return message.substr(0, message.find("。"));
      const std::size_t page = message.find("の ") + 4;
      const std::size_t cause = message.find("（") + 3;
      return message.substr(page, message.find("ページ目") + 12 - page) + ": " +
             message.substr(cause, message.find("）") - cause);
    }
  }

  static constexpr std::chrono::milliseconds kNoPause{1};
  struct RetryNotices : FetchProgress {
    std::vector<Text> texts;
    void Retrying(const Text& status) override { texts.push_back(status); }
  } retries;
  std::vector<Text>& retryStatuses = retries.texts;
  CurlInternet::Options options;
  FetchBounds bounds;
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

// A TLS server, openssl's own, whose certificate nobody signed.
class SelfSignedTlsServer {
 public:
  SelfSignedTlsServer() {
    const std::string key = dir.File("key.pem"), cert = dir.File("cert.pem");
    const std::string made = "openssl req -x509 -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -days 1 "
                             "-keyout " + key + " -out " + cert + " 2>/dev/null";
    if (std::system(made.c_str()) != 0) throw std::runtime_error("openssl req");
    const std::string port = std::to_string(testing::ClosedPort());
    pid_ = ::fork();
    if (pid_ == 0) {
      ::execlp("openssl", "openssl", "s_server", "-quiet", "-accept", port.c_str(), "-cert",
               cert.c_str(), "-key", key.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    url = "https://127.0.0.1:" + port + "/";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // until it listens
  }
  ~SelfSignedTlsServer() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  std::string url;

 private:
  testing::TempDir dir;
  pid_t pid_ = -1;
};

// How each way a site fails ends the fetch: the rows, or the page's error
// with its cause, after the tries that cause is worth.
TEST_F(CurlFetchTest, ASiteThatFailsEndsTheFetchOrIsTriedAgain) {
  using Then = Reply::Then;
  const std::string pageOne = ListPage("2050", {kRowA, kRowB});
  const auto onPageTwo = [](Reply failing) {
    return [failing](const SiteRequest& request) {
      if (request.Param("p") == "1") return Reply{.body = ListPage("2050", {kRowA}, 2)};
      return failing;
    };
  };
  struct Case {
    const char* name;
    LoopbackSite::Script script;
    const char* outcome;  // the rows' codes, or the page and cause of the error
    std::size_t requests;
    FetchBounds bounds{};
  };
  int served = 0;
  // Every page links on: with rows of its own, without rows, or page 1 again.
  const auto linkingOn = [](std::function<std::vector<PageRow>(int)> rowsOf) {
    return [rowsOf](const SiteRequest& request) {
      const int page = std::stoi(request.Param("p"));
      return Reply{.body = ListPage("2050", rowsOf(page), page + 1)};
    };
  };
  const std::string withZero = pageOne.substr(0, 300) + '\0' + pageOne.substr(300);
  const auto endless = [](std::size_t sent) { return std::string(sent < (2 << 20) ? 4096 : 0, ' '); };
  const SelfSignedTlsServer tls;
  const std::vector<Case> cases = {
      {"404 on page 2", onPageTwo({.status = 404, .body = "gone"}),
       "2 ページ目: 相場サイト HOST がエラー 404 を返しました", 2},
      {"503 then 200",
       [&](const SiteRequest&) {
         return ++served == 1 ? Reply{.status = 503} : Reply{.body = pageOne};
       },
       "1301 1302", 2},
      {"429 each time", [](const SiteRequest&) { return Reply{.status = 429}; },
       "1 ページ目: 相場サイト HOST がエラー 429 を返しました", 3},
      {"cut short",
       onPageTwo({.body = pageOne.substr(0, 100), .promised = 500, .then = Then::Close}),
       "2 ページ目: 受信の途中で接続が切れました", 4},
      {"reset", onPageTwo({.body = pageOne.substr(0, 100), .promised = 500, .then = Then::Reset}),
       "2 ページ目: 受信の途中で接続が切れました", 4},
      {"chunked without its last chunk",
       onPageTwo({.chunks = [](std::size_t sent) { return sent == 0 ? std::string("<html>") : ""; },
                  .lastChunk = false,
                  .then = Then::Close}),
       "2 ページ目: 受信の途中で接続が切れました", 4},
      // libcurl itself asks once more when a kept connection dies unanswered.
      {"closed without a word", onPageTwo(Reply::HangUp()),
       "2 ページ目: 受信の途中で接続が切れました", 5},
      {"silent", [](const SiteRequest&) { return Reply::Silent(); },
       "1 ページ目: 相場サイト HOST が 1 秒間応答しません", 3},
      {"trickle", onPageTwo({.body = pageOne, .drip = std::chrono::milliseconds(100)}),
       "2 ページ目: 相場サイト HOST が 1 秒間応答しません", 4},
      {"redirect loop", [](const SiteRequest& request) { return Reply::Redirect(request.target); },
       "1 ページ目: 相場サイト HOST のリダイレクトが 10 回を超えました", 11},
      {"page 2 repeats page 1 and links on", linkingOn([](int) { return std::vector{kRowA, kRowB}; }),
       "2 ページ目: 相場サイト HOST が同じページを繰り返しています", 2},
      {"the last page repeats the one before",
       Pages({{"1", ListPage("2050", {kRowA, kRowB}, 2)}, {"2", ListPage("2050", {kRowB, kRowA})}}),
       "1301 1302", 2},
      {"a row slid on to the next page", Pages({{"1", ListPage("2050", {kRowA, kRowB}, 2)},
                                                {"2", ListPage("2050", {kRowB, kRowC})}}),
       "1301 1302 1302 1303", 2},
      {"pages without rows link on", linkingOn([](int) { return std::vector<PageRow>(); }),
       "「建設業」のページが 4 を超えました", 4, {.pages = 4}},
      {"new rows on every page",
       linkingOn([](int page) { return std::vector<PageRow>{{std::to_string(1000 + page), "JASDAQ", "頁"}}; }),
       "「建設業」のページが 4 を超えました", 4, {.pages = 4}},
      {"more rows than a run takes", linkingOn([](int page) {
         return std::vector<PageRow>{{std::to_string(1000 + page), "JASDAQ", "頁"}, kRowA};
       }),
       "3 ページ目: 取得した銘柄が 5 件を超えました", 3, {.runRows = 5}},
      {"a length past the page bound", [&](const SiteRequest&) {
         return Reply{.body = pageOne, .promised = std::size_t(1) << 31, .then = Then::Close};
       },
       "1 ページ目: ページが 1 MiB を超えています", 1, {.pageBytes = 1 << 20}},
      {"a body past the page bound", [&](const SiteRequest&) { return Reply{.chunks = endless}; },
       "1 ページ目: ページが 1 MiB を超えています", 1, {.pageBytes = 1 << 20}},
      {"a zero byte", [&](const SiteRequest&) { return Reply{.body = withZero}; },
       "1 ページ目: ページにゼロのバイトがあります", 1},
      {"a header line over the limit",
       onPageTwo({.headers = "X-Big: " + std::string(200 * 1024, 'x') + "\r\n"}),
       "2 ページ目: 応答ヘッダーが大きすぎます", 2},
      {"all headers over the limit",
       onPageTwo({.headers = [] {
         std::string lines;
         for (int i = 0; i < 400; ++i) lines += "X-Line: " + std::string(1000, 'x') + "\r\n";
         return lines;
       }()}),
       "2 ページ目: 応答ヘッダーが大きすぎます", 2},
      {"an unverifiable certificate", onPageTwo(Reply::Redirect(tls.url)),
       "2 ページ目: 相場サイト HOST が https に転送しましたが証明書を確かめられません", 2},
      {"to ftp", onPageTwo(Reply::Redirect("ftp://127.0.0.1/")),
       "2 ページ目: 相場サイト HOST が http でも https でもない所へ転送しました", 2},
      {"to a file", onPageTwo(Reply::Redirect("file:///etc/passwd")),
       "2 ページ目: 相場サイト HOST が http でも https でもない所へ転送しました", 2},
      {"gzip", onPageTwo({.headers = "Content-Encoding: gzip\r\n", .body = pageOne}),
       "2 ページ目: 相場サイト HOST が頼んでいない圧縮をかけて返しました", 2},
  };
  options.stallTimeout = std::chrono::milliseconds(300);
  options.lowSpeedBytesPerSecond = 100;
  options.lowSpeedTime = std::chrono::seconds(1);
  for (const Case& test : cases) {
    bounds = test.bounds;
    LoopbackSite site(test.script);
    std::string outcome = test.outcome;  // the site named as asked for
    if (const std::size_t at = outcome.find("HOST"); at != std::string::npos) {
      outcome.replace(at, 4, site.Host());
    }
    EXPECT_EQ(OutcomeOf(site.Host()), outcome) << test.name;
    EXPECT_EQ(site.RequestCount(), test.requests) << test.name;
  }
  bounds = {};
  const std::string closed = "127.0.0.1:" + std::to_string(testing::ClosedPort());
  EXPECT_EQ(OutcomeOf(closed), "1 ページ目: 相場サイト " + closed + " に接続できません");
  // Every retry is shown, and the cause of each page given up after them.
  EXPECT_EQ(retryStatuses.size(), 1u + 3 * 8);
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
  EXPECT_EQ(UnknownCodeMessageOf([&] { Fetch(site.Host()); }),
            Sjis("「建設業」の 1 ページ目を取得できません（UTF-8 Unknown code.）。"
                 "銘柄リストは更新していません"));
}

}  // namespace
}  // namespace quillivar
