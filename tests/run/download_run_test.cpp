#include "run/download_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "support/failing_file_bytes.h"
#include "support/fake_ui.h"
#include "support/resource_limit.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "text/error.h"
#include "files/text_file.h"

namespace quillivar {
namespace {

using End = RunResult::End;
using testing::FailingFileBytes;
using testing::FakeUi;
using testing::ReadBytes;
using testing::ResourceLimit;
using testing::TempDir;
using testing::WriteBytes;

const Text kFinished = Sjis("銘柄リストのダウンロードが終了しました。");
const Text kCannotWrite = Sjis("ファイルが書き込めません");
const Text kAborted = Sjis("ダウンロード中止");

// A row as the page parser builds it, from UTF-8 test text.
StockRow Row(const std::string& code, const char* market, const char* name, const char* industry) {
  return {code, Sjis(market), Sjis(name), Sjis(industry)};
}

Text Lines(const std::vector<StockRow>& rows) {
  Text file;
  for (const StockRow& row : rows) file += StockListLine(row) + "\r\n";
  return file;
}

class DownloadRunTest : public ::testing::Test {
 protected:
  DownloadRunTest() { ui.CheckAll(true); }

  // Scripts what FetchIndustryRows returns for an industry code.
  void Serve(const std::string& code, std::vector<StockRow> rows) { served[code] = std::move(rows); }

  void Run() {
    const IndustryFetch fetch = [this](const Text& code) {
      fetched.push_back(code);
      if (onFetch) onFetch(code);
      if (ui.abortRequested) throw Error::Aborted();
      const auto found = served.find(code);
      return found == served.end() ? std::vector<StockRow>() : found->second;
    };
    AbortPoint abortPoint(ui, ui.abortRequested);
    result = DownloadRows(ui, ListTarget{folder + kStockListFileName, nullptr}, abortPoint, fetch, ui);
  }

  std::string Output() const { return ReadBytes(dir.File("brand_code.csv")); }
  bool OutputExists() const { return std::filesystem::exists(dir.File("brand_code.csv")); }
  std::size_t FilesInFolder() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                                                  std::filesystem::directory_iterator()));
  }

  TempDir dir;
  Text folder = dir.Dir();
  FakeUi ui;
  std::map<std::string, std::vector<StockRow>> served;
  std::vector<Text> fetched;
  std::function<void(const Text&)> onFetch;
  RunResult result;
};

TEST_F(DownloadRunTest, StartsInTheOrderOfItsSteps) {
  Serve("9050", {Row("9601", "東証1部", "x", "サービス業")});
  Run();
  ASSERT_GE(ui.events.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(ui.events.begin(), ui.events.begin() + 3),
            (std::vector<std::string>{"status:銘柄リストダウンロード開始", "started:0050",
                                      "fetched:0"}));
  EXPECT_EQ(fetched.size(), 33u);
  EXPECT_EQ(fetched.front(), "0050");
  EXPECT_EQ(fetched.back(), "9050");
  EXPECT_EQ(result.end, End::Written);
  EXPECT_EQ(result.message, kFinished);
}

// いいえ keeps the earlier list and asks the site for nothing; はい runs as
// ever: the industries selected are fetched and the list is written empty.
TEST_F(DownloadRunTest, AnEmptySelectionIsAskedAboutBeforeAnyRequest) {
  const std::string earlier = "1301," + Sjis("東証1部,見本水産,水産・農林業") + "\r\n";
  Serve("0050", {Row("1301", "東証1部", "見本水産", "水産・農林業")});
  for (const CheckBoxRange cleared : {kIndustryBoxes, kMarketBoxes}) {
    for (const bool yes : {false, true}) {
      SCOPED_TRACE(::testing::Message() << cleared.first << (yes ? " はい" : " いいえ"));
      ui = FakeUi();
      ui.CheckAll(true);
      for (int box = cleared.first; box <= cleared.last; ++box) ui.checkBoxes[box] = false;
      ui.writeEmptyList = yes;
      fetched.clear();
      WriteBytes(dir.File("brand_code.csv"), earlier);
      Run();
      EXPECT_EQ(ui.events.front(), "empty?");
      EXPECT_EQ(fetched.size(), yes && cleared.first == kMarketBoxes.first ? 33u : 0u);
      EXPECT_EQ(Output(), yes ? "" : earlier);
      EXPECT_EQ(result.end, yes ? End::Written : End::Kept);
      EXPECT_EQ(result.message, yes ? kFinished : Sjis("銘柄リストは更新していません"));
    }
  }
}

TEST_F(DownloadRunTest, SkipsUnselectedIndustries) {
  for (const IndustryEntry& industry : IndustryCatalogue()) ui.checkBoxes[industry.checkBox] = false;
  ui.checkBoxes[16] = true;  // サービス業, the last position
  Run();
  EXPECT_EQ(fetched, std::vector<Text>{"9050"});
  EXPECT_EQ(ui.EventsWithPrefix("fetched:"), std::vector<std::string>{"fetched:0"});
}

TEST_F(DownloadRunTest, AnAbortEndsTheRunAtItsAbortPointAndWritesNothing) {
  // Three rows in descending order: the third insertion compares twice and
  // moves twice. Pumps: 1 (position 1), 2 (row 1), 3 (row 2), 4 (compare),
  // 5 (move), 6 (row 3), 7 (compare), 8 (compare), 9 (move) ...
  const struct {
    const char* when;
    long long atPump;  // 0: during the first fetch
    std::size_t fetches;
    std::size_t rows;
    std::vector<std::string> fetchEnds;
  } cases[] = {
      {"at the first abort point", 1, 0, 0, {}},
      {"during the first fetch", 0, 1, 0, {}},
      {"in the middle of an insertion", 9, 1, 2, {"fetched:3"}},
  };
  WriteBytes(dir.File("brand_code.csv"), "previous");
  Serve("0050", {Row("3000", "東証1部", "c", "水産・農林業"), Row("2000", "東証1部", "b", "水産・農林業"),
                 Row("1000", "東証1部", "a", "水産・農林業")});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.when);
    ui = FakeUi();
    ui.CheckAll(true);
    fetched.clear();
    onFetch = nullptr;
    if (c.atPump > 0) ui.AtPump(c.atPump, [&] { ui.abortRequested = true; });
    if (c.atPump == 0) onFetch = [&](const Text&) { ui.abortRequested = true; };
    Run();
    EXPECT_EQ(result.end, End::Aborted);
    EXPECT_EQ(result.message, kAborted);
    EXPECT_EQ(fetched.size(), c.fetches);
    EXPECT_EQ(ui.EventsWithPrefix("fetched:"), c.fetchEnds);
    EXPECT_EQ(result.stockRows, c.rows);
    if (c.atPump > 0) {
      EXPECT_EQ(ui.pumpCount, c.atPump);
    }
    EXPECT_EQ(Output(), "previous");
  }
}

// 300 rows before, one now: a suspect list, kept. Its read passes its abort
// point at the first line and at the 257th, the run's last pump.
TEST_F(DownloadRunTest, AnAbortWhileTheEarlierListIsReadEndsTheRunThere) {
  const StockRow row = Row("1301", "東証1部", "見本", "水産・農林業");
  const Text earlier = Lines(std::vector<StockRow>(300, row));
  WriteBytes(dir.File("brand_code.csv"), earlier);
  Serve("0050", {row});
  Run();
  ASSERT_EQ(result.end, End::Kept);
  ui.AtPump(2 * ui.pumpCount, [&] { ui.abortRequested = true; });
  Run();
  EXPECT_EQ(result.end, End::Aborted);
  EXPECT_EQ(ui.LastStatus(), Sjis("これまでの銘柄リストを読んでいます"));
  EXPECT_EQ(Output(), earlier);
}

TEST_F(DownloadRunTest, KeepsRowsInCodeOrderAndEqualCodesInArrivalOrder) {
  Serve("0050", {Row("2000", "東証1部", "first", "水産・農林業"), Row("3000", "東証1部", "x", "水産・農林業"),
                 Row("2500", "東証1部", "y", "水産・農林業")});
  Serve("1050", {Row("1000", "東証1部", "z", "鉱業"), Row("2000", "東証1部", "second", "鉱業")});
  Run();
  const std::vector<StockRow> expected = {
      Row("1000", "東証1部", "z", "鉱業"), Row("2000", "東証1部", "first", "水産・農林業"),
      Row("2000", "東証1部", "second", "鉱業"), Row("2500", "東証1部", "y", "水産・農林業"),
      Row("3000", "東証1部", "x", "水産・農林業")};
  EXPECT_EQ(Output(), Lines(expected));
  EXPECT_EQ(result.written, expected);
  EXPECT_EQ(result.end, End::Written);
  EXPECT_EQ(ui.statusTexts.back(), Sjis("銘柄情報保存：") + StockListLine(expected.back()));
}

TEST_F(DownloadRunTest, WritesOnlyRowsWhoseMarketAndIndustryAreSelected) {
  ui.CheckAll(false);
  ui.checkBoxes[7] = true;   // ジャスダック: JASDAQ, NEO
  ui.checkBoxes[18] = true;  // 建設業
  const StockRow neo = Row("1400", "NEO", "見本建設", "建設業");
  const StockRow jasdaq = Row("1401", "JASDAQ", "見本工務店", "建設業");
  const StockRow tokyo = Row("1402", "東証1部", "見本組", "建設業");
  const StockRow comma = Row("1403", "NEO", "見本,建設", "建設業");  // reads back as another industry
  const StockRow unknown = Row("1404", "東証", "見本", "建設業");
  const StockRow empty = Row("1405", "", "", "");
  Serve("2050", {neo, jasdaq, tokyo, comma, unknown, empty});
  Run();
  EXPECT_EQ(result.stockRows, 6u);
  EXPECT_EQ(Output(), Lines({neo, jasdaq}));
}

TEST_F(DownloadRunTest, CodesWithLettersOrderByteByByteAfterDigits) {
  std::vector<StockRow> rows;
  for (const char* code : {"9A9A", "1310", "130A", "2000", "1A00", "1301", "0007", "1999", "1309"}) {
    rows.push_back(Row(code, "東証1部", "x", "水産・農林業"));
  }
  Serve("0050", rows);
  Run();
  std::string codes;
  for (const StockRow& row : result.written) codes += row.code + " ";
  EXPECT_EQ(codes, "0007 1301 1309 130A 1310 1999 1A00 2000 9A9A ");
}

// Only a row the write-out would write must begin with a stock code; the
// run then ends with the list as it was. A name's CR LF makes rows of its
// pieces, each judged on its own.
TEST_F(DownloadRunTest, ARowThatWouldBeWrittenWithoutAStockCodeEndsTheRun) {
  ui.checkBoxes[2] = false;  // 東証２部
  const struct {
    StockRow row;
    const char* written;  // "" for none; nullptr when the run fails
  } cases[] = {
      {Row("13a0", "東証1部", "x", "化学"), nullptr},
      {Row("+512", "東証1部", "x", "化学"), nullptr},
      {Row("<spa", "東証1部", "x", "化学"), nullptr},
      {Row(" 123", "東証1部", "x", "化学"), nullptr},
      {Row("13a0", "東証2部", "x", "化学"), ""},
      {Row("ZZ9Z", "東証1部", "x", "化学"), "ZZ9Z,東証1部,x,化学\r\n"},
      {Row("5701", "東証1部", "前半\r\n9999", "非鉄金属"), ""},
      {Row("5701", "東証1部", "前\r\n5702,東証1部,後", "化学"), "5702,東証1部,後,化学\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.row.code + c.row.name);
    WriteBytes(dir.File("brand_code.csv"), "previous");
    Serve("3200", {c.row});
    Run();
    EXPECT_EQ(Output(), c.written ? Sjis(c.written) : "previous");
    if (c.written) continue;
    EXPECT_EQ(result.end, End::Failed);
    EXPECT_EQ(SjisToUtf8(result.message), "「化学」の銘柄に銘柄コードではない '" + c.row.code +
                                              "' があります。銘柄リストは更新していません");
  }
}

// Rows came, none of a market the program knows: asked as any suspect list.
TEST_F(DownloadRunTest, RowsOfNoKnownMarketMakeTheListSuspect) {
  const char* labels[] = {"東証プライム", "東証スタンダード", "東証グロース", "名証メイン", "福証Q"};
  std::vector<StockRow> rows;
  for (const char* label : labels) rows.push_back(Row("1301", label, "x", "水産・農林業"));
  const std::string facts = "サイトの市場名（東証グロース、東証スタンダード、東証プライム ほか 2）"
      "はどれもこのプログラムの市場ではありません。サイトがこのプログラムの知らない市場名を使っている可能性があります。";
  for (const char* earlier : {"", "1301,東証1部,x,水産・農林業\r\n"}) {
    SCOPED_TRACE(earlier);
    if (*earlier) WriteBytes(dir.File("brand_code.csv"), Sjis(earlier));
    Serve("0050", rows);
    Run();
    EXPECT_EQ(result.end, End::Kept);
    EXPECT_TRUE(ui.events.back().ends_with(facts)) << ui.events.back();
    Serve("0050", {rows[0], Row("1302", "東証1部", "y", "水産・農林業")});
    Run();
    EXPECT_EQ(result.end, End::Written);
  }
}

// The Part's box text for the window, the cause for the command; the target
// stays as it was.
TEST_F(DownloadRunTest, ATargetThatCannotBeOpenedIsReportedWithItsCause) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    int code;
  };
  const Case cases[] = {
      {"a folder", [&] { std::filesystem::create_directory(dir.File("brand_code.csv")); }, EISDIR},
      {"read-only",
       [&] {
         WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
         ::chmod(dir.File("brand_code.csv").c_str(), 0444);
       },
       EACCES},
      {"a folder that is gone", [&] { folder = dir.File("gone/"); }, ENOENT},
  };
  const StockRow row = Row("1301", "東証1部", "x", "水産・農林業");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(dir.File("brand_code.csv"));
    folder = dir.Dir();
    c.arrange();
    const std::string before = std::filesystem::is_regular_file(dir.File("brand_code.csv")) ? Output() : "";
    Serve("0050", {row});
    Run();
    EXPECT_EQ(result.end, End::CannotWrite);
    EXPECT_EQ(result.message, kCannotWrite);
    EXPECT_EQ(result.errorCode, c.code);
    EXPECT_EQ(ui.LastStatus(), Sjis("これまでの銘柄リストを読んでいます"));
    if (!before.empty()) {
      EXPECT_EQ(Output(), before);
    }
  }
}

std::vector<StockRow> HundredRows() {
  std::vector<StockRow> rows;
  for (int code = 1300; code < 1400; ++code) rows.push_back(Row(std::to_string(code), "東証1部", "見本", "水産・農林業"));
  return rows;
}

// A full disk part-way, and rows that outgrow the file size limit when they
// are flushed at the end: the previous file stays, no temporary is left.
TEST_F(DownloadRunTest, AWriteThatFailsKeepsThePreviousFile) {
  Serve("0050", HundredRows());
  const std::string full = "ディスクの空きが足りません（" + dir.File("brand_code.csv") + "）";
  for (const std::string& cause : {full, std::string("I/O エラー (27)")}) {
    WriteBytes(dir.File("brand_code.csv"), "previous list\r\n");
    if (cause == full) {
      const FailingFileBytes failing({.writableBytes = 1000, .code = ENOSPC});
      Run();
      EXPECT_EQ(result.errorCode, ENOSPC);
    } else {
      const auto limit = ResourceLimit::FileSize(1000);
      Run();
    }
    EXPECT_EQ(result.end, End::WriteFailed);
    EXPECT_EQ(SjisToUtf8(result.message), cause);
    EXPECT_EQ(Output(), "previous list\r\n");
    EXPECT_EQ(FilesInFolder(), 1u);
  }
}

TEST_F(DownloadRunTest, MoreRowsThanSlotsAreAllKeptAndWrittenInOrder) {
  // 12,001 rows over two industries; the second interleaves the end of the
  // first, repeats codes, and ends with a row that belongs first.
  std::vector<StockRow> first;
  std::vector<StockRow> second;
  for (int i = 0; i < 9000; ++i) first.push_back(Row(std::to_string(1000 + i), "東証1部", "a", "水産・農林業"));
  for (int i = 0; i < 3000; ++i) second.push_back(Row(std::to_string(9000 + i / 3), "東証2部", "b", "鉱業"));
  second.push_back(Row("0999", "東証2部", "first", "鉱業"));
  Serve("0050", first);
  Serve("1050", second);
  std::vector<StockRow> expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  std::stable_sort(expected.begin(), expected.end(),
                   [](const StockRow& a, const StockRow& b) { return a.code < b.code; });
  Run();
  EXPECT_EQ(result.stockRows, 12001u);
  EXPECT_TRUE(Output() == Lines(expected)) << "brand_code.csv is not in code order";
}

TEST_F(DownloadRunTest, AConversionErrorEndsTheRunAndKeepsThePreviousFile) {
  WriteBytes(dir.File("brand_code.csv"), "previous");
  onFetch = [](const Text& code) {
    if (code == "1050") throw Error("UTF-8 Unknown code.");
  };
  Run();
  EXPECT_EQ(fetched, (std::vector<Text>{"0050", "1050"}));
  EXPECT_EQ(result.end, End::Failed);
  EXPECT_EQ(result.message, "UTF-8 Unknown code.");
  EXPECT_EQ(Output(), "previous");
}

}  // namespace
}  // namespace quillivar
