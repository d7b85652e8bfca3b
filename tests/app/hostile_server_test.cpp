// The real windows and the real HTTP client against quote sites that misbehave:
// a body without end, next-page links without end, silence, pages of
// four-byte UTF-8, and one industry far beyond the 10,000 slots.
#include <malloc.h>

#include <QApplication>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/shown_windows.h"
#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "testkit/list_page.h"
#include "testkit/loopback_site.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "ui/qt_boxes.h"

namespace quillivar {
namespace {


using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::ListPage;
using testing::ListPageHead;
using testing::ListPageRow;
using testing::ListPageTail;
using testing::LoopbackSite;
using testing::PageRow;
using testing::ReadBytes;
using testing::Reply;
using testing::SiteRequest;
using testing::TempDir;
using testing::WriteBytes;
using testing::WrittenRow;

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

// Ends the whole process when a test overruns: a run that hangs inside the
// window's thread could not be stopped any other way.
class Watchdog {
 public:
  explicit Watchdog(seconds limit)
      : name_(::testing::UnitTest::GetInstance()->current_test_info()->name()),
        thread_([this, limit] { Watch(limit); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    changed_.notify_one();
    thread_.join();
  }

 private:
  void Watch(seconds limit) {
    std::unique_lock lock(mutex_);
    if (changed_.wait_for(lock, limit, [this] { return done_; })) return;
    std::fprintf(stderr, "%s did not end within %lld s: stopped\n", name_.c_str(),
                 static_cast<long long>(limit.count()));
    std::fflush(stderr);
    std::_Exit(124);
  }

  std::string name_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  std::thread thread_;
};

// A fast timer that ticks only when the window's thread processes events:
// the largest gap between two ticks is the longest the window was frozen.
class TickWatch {
 public:
  explicit TickWatch(std::function<void()> onTick = {}) : onTick_(std::move(onTick)) {
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
  }
  void Begin() {
    began_ = last_ = Clock::now();
    timer_.start();
  }
  void End() {
    Tick();
    ended_ = last_;
    timer_.stop();
  }
  milliseconds MaxGap() const { return std::chrono::duration_cast<milliseconds>(maxGap_); }
  // At least one tick in every 100 ms on average, a tenth of the timer's
  // rate: a window frozen for the run ticks once at its end. How long one
  // freeze lasts (a page converted whole) depends on the build and the
  // machine's load, so that figure is only printed.
  bool KeptTicking() const {
    return ticks_ >= std::chrono::duration_cast<milliseconds>(Span()).count() / 100;
  }
  int Ticks() const { return ticks_; }
  Clock::duration Span() const { return ended_ - began_; }

 private:
  void Tick() {
    const auto now = Clock::now();
    maxGap_ = std::max(maxGap_, now - last_);
    last_ = now;
    ++ticks_;
    if (onTick_) onTick_();
  }

  QTimer timer_;
  std::function<void()> onTick_;
  Clock::time_point began_{}, last_{}, ended_{};
  Clock::duration maxGap_{};
  int ticks_ = 0;
};

class HostileServerTest : public ::testing::Test {
 protected:
  static inline const RetryPolicy kShortPauses{.pauses = {milliseconds(1), milliseconds(1)}};

  // The site stops by itself after a minute and a half at the latest.
  void Open(LoopbackSite::Script script) {
    site = std::make_unique<LoopbackSite>(std::move(script), seconds(90));
    host = site->Host();
  }
  void Start(CurlInternet::Options options = {}, int timerIntervalMs = 2000) {
    internet = std::make_unique<CurlInternet>(options);
    windows = testing::ShownWindows(*internet,
                                    {host, timerIntervalMs, dir.Dir(), kShortPauses});
    ASSERT_NE(windows, nullptr);
    form1 = &windows->form1;
    QObject::connect(form1->StatusBar1, &QStatusBar::messageChanged, [this](const QString& text) {
      const std::string utf8 = text.toStdString();
      if (utf8 == "銘柄情報分析中…" || utf8 == "しばらくお待ちください。") ++timerTexts;
    });
  }
  // Every market and only these industries.
  void Select(const std::set<std::string>& industryCodes) {
    for (const MarketEntry& market : MarketCatalogue()) {
      windows->form2.SetCheckBoxChecked(market.checkBox, true);
    }
    for (const IndustryEntry& industry : IndustryCatalogue()) {
      windows->form2.SetCheckBoxChecked(industry.checkBox, industryCodes.count(industry.code) > 0);
    }
  }
  // The whole run, confirmed with OK; the watch runs from the click to the
  // final box.
  void RunToTheEnd(TickWatch& watch) {
    boxes.Then(BoxAnswer::kOk);
    boxes.Then(BoxAnswer::kOk);
    watch.Begin();
    QTest::mouseClick(form1->Button1, Qt::LeftButton);
    watch.End();
  }
  void ExpectFinishedWithoutError() {
    const std::vector<std::string> expected = {
        "ConfirmationBox:銘柄リストをダウンロードします。よろしいですか？",
        "InformationBox:銘柄リストのダウンロードが終了しました。"};
    EXPECT_EQ(boxes.seen, expected);
    EXPECT_TRUE(form1->Button1->isEnabled());
    EXPECT_TRUE(form1->Button2->isEnabled());
    EXPECT_FALSE(form1->Timer1->isActive());
  }
  std::string Output() const { return ReadBytes(dir.File("brand_code.csv")); }
  std::string Status() const { return form1->StatusBar1->currentMessage().toStdString(); }

  TempDir dir;
  ReadyBoxAnswers boxes;
  std::unique_ptr<LoopbackSite> site;  // outlives the client's kept connections
  std::string host;
  std::unique_ptr<CurlInternet> internet;
  std::unique_ptr<ProgramWindows> windows;
  TForm1* form1 = nullptr;
  int timerTexts = 0;
};

// --- A body without end -----------------------------------------------------

// Where a page fails, stated here rather than taken from the code under test.
constexpr std::size_t kPageCapBytes = 32u * 1024u * 1024u;
constexpr std::size_t kFillerBlockBytes = 64 * 1024;

// Markup that survives the normalisation, so the page text itself grows.
std::string Filler(std::size_t bytes) {
  static const std::string kUnit = "<p>filler</p>\n";
  std::string filler;
  filler.reserve(bytes + kUnit.size());
  while (filler.size() < bytes) filler += kUnit;
  filler.resize(bytes, ' ');
  return filler;
}

// A chunked body that never ends on its own: a row at the start, one that
// ends just before the page cap, one that begins just after it, then filler.
// It stops when the client hangs up, or at 512 MiB, or after a minute.
class EndlessBody {
 public:
  static constexpr std::size_t kOwnLimit = 512u * 1024u * 1024u;

  EndlessBody(const PageRow& first, const PageRow& beforeCap, const PageRow& afterCap) {
    prefix_ = ListPageHead() + ListPageRow(first);
    const std::string before = ListPageRow(beforeCap);
    prefix_ += Filler(kPageCapBytes - 4096 - before.size() - prefix_.size());
    prefix_ += before;
    prefix_ += Filler(kPageCapBytes + 4096 - prefix_.size());
    prefix_ += ListPageRow(afterCap);
    block_ = Filler(kFillerBlockBytes);
  }

  Reply Serve() const {
    const auto started = Clock::now();
    return {.chunks = [this, started](std::size_t sent) {
      if (sent >= kOwnLimit || Clock::now() - started > seconds(60)) return std::string();
      return sent < prefix_.size() ? prefix_.substr(sent, kFillerBlockBytes) : block_;
    }};
  }

 private:
  std::string prefix_;
  std::string block_;
};

TEST_F(HostileServerTest, ABodyWithoutEndFailsAtThePageCapAndKeepsTheEarlierList) {
  Watchdog watchdog(seconds(90));
  const PageRow first{"1301", "東証1部", "最初の行"};
  const PageRow beforeCap{"1302", "東証1部", "上限の手前"};
  const PageRow afterCap{"1303", "東証1部", "上限の先"};
  // Held by the handler: the site may still be sending when the test ends.
  const auto endless = std::make_shared<EndlessBody>(first, beforeCap, afterCap);
  Open([endless, first](const SiteRequest& request) {
    const std::string ids = request.Param("ids");
    if (ids == "0050") return endless->Serve();
    return Reply{.body = ListPage(ids, {first})};
  });
  Start({}, 20);
  Select({"0050", "1050"});
  WriteBytes(dir.File("brand_code.csv"), "previous");

  TickWatch watch;
  RunToTheEnd(watch);

  const std::vector<std::string> expected = {
      "ConfirmationBox:銘柄リストをダウンロードします。よろしいですか？",
      "ErrorBox:「水産・農林業」の 1 ページ目を取得できません（ページが 32 MiB を超えています）。"
      "銘柄リストは更新していません."};
  EXPECT_EQ(boxes.seen, expected);
  EXPECT_EQ(Output(), "previous");
  EXPECT_EQ(site->RequestCount(), 1u);  // neither tried again nor the next industry
  // The client ended the body, not the server's own limit.
  std::optional<std::size_t> hungUpAt;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return (hungUpAt = site->Requests()[0].hungUpAfter).has_value(); }, 2000));
  EXPECT_GE(*hungUpAt, kPageCapBytes);
  EXPECT_LT(*hungUpAt, EndlessBody::kOwnLimit);
  // The status timer went on alternating while the endless page was read.
  EXPECT_GE(timerTexts, 3);
  EXPECT_TRUE(watch.KeptTicking());
  std::printf("[ figures  ] run %.2f s, largest tick gap %lld ms over %d ticks, "
              "client hung up after %.1f MiB, %d timer texts\n",
              Seconds(watch.Span()), static_cast<long long>(watch.MaxGap().count()),
              watch.Ticks(), *hungUpAt / 1048576.0, timerTexts);
}

// --- Next-page links without end --------------------------------------------

TEST_F(HostileServerTest, TheAbortButtonEndsARunWhosePagesLinkOnWithoutEnd) {
  Watchdog watchdog(seconds(60));
  constexpr long long kMaxPages = 50000;
  const auto opened = Clock::now();
  Open([opened](const SiteRequest& request) {
    const std::string ids = request.Param("ids");
    const long long page = std::atoll(request.Param("p").c_str());
    const bool linkOn = page < kMaxPages && Clock::now() - opened < seconds(40);
    const PageRow row{std::to_string(1000 + page % 9000), "東証1部", "頁" + std::to_string(page)};
    return Reply{.body = ListPage(ids, {row}, linkOn ? std::optional(page + 1) : std::nullopt)};
  });
  Start({}, 20);
  Select({"0050", "1050"});
  WriteBytes(dir.File("brand_code.csv"), "previous");

  // Pressed from the window's own loop, well into the chain of pages.
  std::size_t requestsAtAbort = 0;
  Clock::time_point abortedAt{};
  QTimer presser;
  QObject::connect(&presser, &QTimer::timeout, [&] {
    if (site->RequestCount() < 60) return;
    presser.stop();
    EXPECT_FALSE(form1->Button1->isEnabled());
    EXPECT_FALSE(form1->Button2->isEnabled());
    requestsAtAbort = site->RequestCount();
    abortedAt = Clock::now();
    QTest::mouseClick(form1->Button3, Qt::LeftButton);
  });
  TickWatch watch;
  boxes.Then(BoxAnswer::kOk);
  watch.Begin();
  presser.start(5);
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  const auto returnedAt = Clock::now();
  watch.End();

  ASSERT_GT(requestsAtAbort, 0u) << "the run ended before the abort";
  EXPECT_EQ(Status(), "ダウンロード中止");
  EXPECT_EQ(Output(), "previous");
  EXPECT_EQ(boxes.seen.size(), 1u);  // no final box
  EXPECT_TRUE(form1->Button1->isEnabled());
  EXPECT_TRUE(form1->Button2->isEnabled());
  EXPECT_FALSE(form1->Timer1->isActive());
  // At most the page being read when the button was pressed came after it,
  // and nothing is fetched once the run has returned.
  EXPECT_LE(site->RequestCount(), requestsAtAbort + 1);
  const std::size_t requestsAtReturn = site->RequestCount();
  QTest::qWait(200);
  EXPECT_EQ(site->RequestCount(), requestsAtReturn);
  for (const SiteRequest& hit : site->Requests()) EXPECT_EQ(hit.Param("ids"), "0050");
  EXPECT_TRUE(watch.KeptTicking());
  std::printf("[ figures  ] %zu pages requested, run returned %.1f ms after the click, "
              "largest tick gap %lld ms\n",
              requestsAtReturn, 1000 * Seconds(returnedAt - abortedAt),
              static_cast<long long>(watch.MaxGap().count()));
}

// --- Servers that never answer ----------------------------------------------

// A silent page is tried three times, then ends the run with its error box;
// the earlier list stays and the later industry is never asked for.
TEST_F(HostileServerTest, AnIndustryThatIsNeverAnsweredEndsTheRunAndKeepsTheEarlierList) {
  Watchdog watchdog(seconds(60));
  Open([](const SiteRequest& request) {
    const std::string ids = request.Param("ids");
    if (ids == "1050" && request.Param("p") == "2") return Reply::Silent();
    return Reply{.body = ListPage(ids, {{"1001", "東証2部", "一頁目"}}, 2)};
  });
  CurlInternet::Options options;
  options.stallTimeout = milliseconds(400);
  Start(options, 50);
  Select({"1050", "2050"});
  WriteBytes(dir.File("brand_code.csv"), "previous");
  std::vector<std::string> retryTexts;
  QObject::connect(form1->StatusBar1, &QStatusBar::messageChanged, [&](const QString& text) {
    if (text.contains(QStringLiteral("再試行"))) retryTexts.push_back(text.toStdString());
  });

  TickWatch watch;
  boxes.Then(BoxAnswer::kOk);
  boxes.Then(BoxAnswer::kOk);
  watch.Begin();
  QTest::mouseClick(form1->Button1, Qt::LeftButton);
  watch.End();

  const std::vector<std::string> expected = {
      "ConfirmationBox:銘柄リストをダウンロードします。よろしいですか？",
      "ErrorBox:「鉱業」の 2 ページ目を取得できません（相場サイト " + host +
          " が 1 秒間応答しません）。銘柄リストは更新していません."};
  EXPECT_EQ(boxes.seen, expected);
  EXPECT_EQ(Output(), "previous");
  EXPECT_EQ(site->RequestCount(), 4u);  // page 1, then page 2 three times
  EXPECT_EQ(retryTexts, std::vector<std::string>(
                            {"相場サイト " + host + " が 1 秒間応答しません。「鉱業」の 2 ページ目を再試行します (1/2)",
                             "相場サイト " + host + " が 1 秒間応答しません。「鉱業」の 2 ページ目を再試行します (2/2)"}));
  EXPECT_EQ(Status(), "相場サイト " + host + " が 1 秒間応答しません");  // no retry notice left up
  EXPECT_TRUE(form1->Button1->isEnabled());
  EXPECT_TRUE(form1->Button2->isEnabled());
  EXPECT_FALSE(form1->Timer1->isActive());
  EXPECT_LT(watch.MaxGap(), options.stallTimeout);  // a frozen wait: one gap of a stall
  std::printf("[ figures  ] run %.2f s with three 0.4 s stalls and two pauses, largest tick "
              "gap %lld ms\n",
              Seconds(watch.Span()), static_cast<long long>(watch.MaxGap().count()));
}

TEST_F(HostileServerTest, AListenerThatNeverReadsEndsTheRunAtTheFirstPage) {
  Watchdog watchdog(seconds(30));
  // The kernel completes the connection and takes the request; nothing reads it.
  const testing::Listener deaf;
  host = deaf.Host();
  CurlInternet::Options options;
  options.stallTimeout = milliseconds(400);
  Start(options);
  Select({"0050", "1050", "2050"});
  WriteBytes(dir.File("brand_code.csv"), "previous");

  TickWatch watch;
  RunToTheEnd(watch);

  ASSERT_EQ(boxes.seen.size(), 2u);
  EXPECT_EQ(boxes.seen[1].substr(0, boxes.seen[1].find("（")),
            "ErrorBox:「水産・農林業」の 1 ページ目を取得できません");
  EXPECT_EQ(Output(), "previous");
  EXPECT_GE(watch.Span(), 3 * options.stallTimeout);
  EXPECT_LT(watch.MaxGap(), options.stallTimeout);  // a frozen wait: gaps of 0.4 s
  std::printf("[ figures  ] run %.2f s with three 0.4 s stalls, largest tick gap %lld ms\n",
              Seconds(watch.Span()), static_cast<long long>(watch.MaxGap().count()));
}

// --- Four-byte UTF-8 --------------------------------------------------------

// Four-byte sequences over every plane (and the lead bytes beyond Unicode),
// with low halves that are surrogates, private use, non-characters and
// ordinary characters, but never zero.
std::string FourByteSequences(std::size_t count) {
  const unsigned lowHalves[] = {0xD800, 0xDFFF, 0xE000, 0xF8FF, 0xFFFF, 0xFFFE,
                                0x3000, 0x0041, 0xF600, 0x00A5, 0xFF61, 0x1234};
  std::string bytes;
  bytes.reserve(4 * count);
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned plane = 1 + i % 31;  // F0 90.. to F7 BF..: 0x01 to 0x1F
    const unsigned codePoint = (plane << 16) | lowHalves[i % std::size(lowHalves)];
    bytes += static_cast<char>(0xF0 | (codePoint >> 18));
    bytes += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return bytes;
}

TEST_F(HostileServerTest, APageOfFourByteSequencesWritesNothingBogus) {
  Watchdog watchdog(seconds(30));
  // U+1F600: one "?", as code page 932 has no such character.
  const PageRow withEmoji{"1401", "東証1部", "絵\xF0\x9F\x98\x80文字"};
  Open([withEmoji](const SiteRequest& request) {
    const std::string ids = request.Param("ids");
    const std::string page = request.Param("p");
    if (ids != "0050") return Reply{.body = ListPage(ids, {withEmoji})};
    // 4 MiB a page, over many reads and with sequences split between them.
    // Page 1 ends in its link to page 2: it must come through whole.
    std::string body = "\xEF\xBB\xBF" + FourByteSequences(1 << 20);
    if (page == "1") body += "<a href=\"/stocks/qi/?ids=0050&p=2\">2</a>";
    return Reply{.body = body};
  });
  Start();
  Select({"0050", "1050"});
  WriteBytes(dir.File("brand_code.csv"), "previous");

  TickWatch watch;
  RunToTheEnd(watch);

  ExpectFinishedWithoutError();
  const Text name = Sjis("絵?文字");
  const Text expected = "1401," + Sjis("東証1部") + "," + name + "," + IndustryNameOfCode("1050") +
                        "\r\n";
  EXPECT_TRUE(Output() == expected) << SjisToUtf8(Output());
  const std::vector<SiteRequest> hits = site->Requests();
  ASSERT_EQ(hits.size(), 3u);
  EXPECT_EQ(hits[1].Param("ids") + "&p=" + hits[1].Param("p"), "0050&p=2");
  EXPECT_TRUE(watch.KeptTicking());
  std::printf("[ figures  ] run %.2f s, largest tick gap %lld ms\n", Seconds(watch.Span()),
              static_cast<long long>(watch.MaxGap().count()));
}

// --- One industry of 100,000 rows -------------------------------------------

constexpr int kManyRows = 100000;
constexpr int kRowsPerPage = 2000;
constexpr int kManyPages = kManyRows / kRowsPerPage;

// Price, change and volume columns, as the site's rows carry them: about
// 800 bytes a row that survive the normalisation, so a page kept per page
// would weigh some 25 times the rows text.
std::string PriceCells() {
  std::string cells;
  for (int column = 0; column < 16; ++column) {
    cells += " <td class=\"txtright\"><span class=\"yjSb\">1,234.5</span></td>\n";
  }
  return cells;
}

// Ascending codes, each used a dozen times; the name tells the rows apart.
PageRow ManyRow(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "N%06d", index);
  return {std::to_string(1000 + index / 12), "東証1部", name};
}

// Page `page` of the 100,000 rows, written a few rows at a time: the site
// itself runs in this process, and whole pages built for it would weigh on
// the resident set that is measured.
Reply ManyRowsPage(int page, const std::string& cells) {
  struct Stream {
    int next;
    int end;
    std::optional<long long> nextPage;
    bool ended = false;
  };
  auto stream = std::make_shared<Stream>(Stream{(page - 1) * kRowsPerPage, page * kRowsPerPage,
                                                page < kManyPages ? std::optional(page + 1LL)
                                                                  : std::nullopt});
  return {.chunks = [stream, cells](std::size_t sent) {
    if (stream->ended) return std::string();
    std::string bytes = sent == 0 ? ListPageHead() : std::string();
    for (int rows = 0; rows < 32 && stream->next < stream->end; ++rows) {
      bytes += ListPageRow(ManyRow(stream->next++), cells);
    }
    if (stream->next == stream->end) {
      bytes += ListPageTail("0050", stream->nextPage);
      stream->ended = true;
    }
    return bytes;
  }};
}

long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(key) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(prefix, 0) == 0) return std::atol(line.c_str() + prefix.size());
  }
  return -1;
}

// Lets the peak resident set start again from the current one.
bool ResetPeakResident() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return clear.good();
}

TEST_F(HostileServerTest, OneIndustryOfAHundredThousandRowsIsKeptWholeInOrder) {
  Watchdog watchdog(seconds(120));
  Open([cells = PriceCells()](const SiteRequest& request) {
    const std::string ids = request.Param("ids");
    const int page = std::atoi(request.Param("p").c_str());
    if (ids != "0050" || page < 1 || page > kManyPages) return Reply{.body = ListPage(ids, {})};
    return ManyRowsPage(page, cells);
  });
  Start();
  Select({"0050"});

  ::malloc_trim(0);
  const long baselineKb = StatusKb("VmRSS");
  const bool peakReset = ResetPeakResident();
  long sampledPeakKb = baselineKb;
  TickWatch watch([&] { sampledPeakKb = std::max(sampledPeakKb, StatusKb("VmRSS")); });
  RunToTheEnd(watch);
  const long peakKb = std::max(sampledPeakKb, peakReset ? StatusKb("VmHWM") : 0L);
  const long retainedKb = StatusKb("VmRSS");

  ExpectFinishedWithoutError();
  EXPECT_EQ(site->RequestCount(), static_cast<std::size_t>(kManyPages));
  const Text market = Sjis("東証1部");
  const Text& industry = IndustryNameOfCode("0050");
  Text expected;
  for (int i = 0; i < kManyRows; ++i) {
    const PageRow row = ManyRow(i);
    expected += row.code + "," + market + "," + row.name + "," + industry + "\r\n";
  }
  const std::string output = Output();
  ASSERT_EQ(output.size(), expected.size());
  const auto mismatch = std::mismatch(output.begin(), output.end(), expected.begin());
  EXPECT_TRUE(mismatch.first == output.end())
      << "first difference at byte " << (mismatch.first - output.begin());

  // Proportional to the rows: a page kept per page, or a copy of the list
  // per row, would go far past this. AddressSanitizer keeps freed memory
  // aside, so there the figures are only printed.
  const long growthKb = peakKb - baselineKb;
  const long rowsKb = static_cast<long>(expected.size() / 1024);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(growthKb, 20 * rowsKb);
  EXPECT_LT(growthKb, 300 * 1024);
#endif
  std::printf("[ figures  ] %d rows (%.1f MiB of rows text) in %.2f s; resident set %.1f MiB "
              "before, peak +%.1f MiB (%.1f x the rows), +%.1f MiB retained after; largest "
              "tick gap %lld ms%s\n",
              kManyRows, rowsKb / 1024.0, Seconds(watch.Span()), baselineKb / 1024.0,
              growthKb / 1024.0, static_cast<double>(growthKb) / rowsKb,
              (retainedKb - baselineKb) / 1024.0, static_cast<long long>(watch.MaxGap().count()),
              peakReset ? "" : " (peak sampled at the ticks only)");
}

}  // namespace
}  // namespace quillivar
