#include "run/download_run.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "support/fake_ui.h"
#include "support/resource_limit.h"
#include "support/temp_dir.h"
#include "text/code_page.h"
#include "text/error.h"
#include "text/text_file.h"

namespace quillivar {
namespace {

using testing::FakeUi;
using testing::ReadBytes;
using testing::ResourceLimit;
using testing::TempDir;
using testing::WriteBytes;

const char kConfirm[] = "confirm:銘柄リストをダウンロードします。よろしいですか？";
const char kFinished[] = "info:銘柄リストのダウンロードが終了しました。";
const char kCannotWrite[] = "info:ファイルが書き込めません";

// A row as the quote-site client writes it, from UTF-8 test text.
Text Row(const std::string& code, const char* market, const char* name,
         const char* industry) {
  return code + "," + Sjis(market) + "," + Sjis(name) + "," + Sjis(industry);
}

Text Rows(const std::vector<Text>& rows) {
  Text joined;
  for (const Text& row : rows) {
    if (!joined.empty()) joined += "\r\n";
    joined += row;
  }
  return joined;
}

Text Lines(const std::vector<Text>& rows) {
  Text file;
  for (const Text& row : rows) file += row + "\r\n";
  return file;
}

class DownloadRunTest : public ::testing::Test {
 protected:
  DownloadRunTest() { ui.CheckAll(true); }

  // Scripts what FetchIndustryRows returns for an industry code.
  void Serve(const std::string& code, const Text& rowsText) { served[code] = rowsText; }

  void RunWith(StockListFile& file) {
    const auto fetch = [this](const Text& code, AbortPoint&) -> std::optional<Text> {
      fetched.push_back(code);
      if (onFetch) onFetch(code);
      if (fields.AbortRequested) return std::nullopt;
      const auto found = served.find(code);
      return found == served.end() ? Text() : found->second;
    };
    DownloadRun run(ui, ui, ui, fields, folder, fetch, file);
    end = run.Execute();
    count = run.Count();
  }
  void Run() { RunWith(realFile); }

  std::string Output() const { return ReadBytes(dir.File("brand_code.csv")); }
  bool OutputExists() const { return std::filesystem::exists(dir.File("brand_code.csv")); }

  void ExpectIdleAfterRun() const {
    EXPECT_TRUE(ui.buttonEnabled[0]);
    EXPECT_TRUE(ui.buttonEnabled[1]);
    EXPECT_TRUE(ui.buttonEnabled[2]);
    EXPECT_FALSE(ui.timerOn);
  }

  TempDir dir;
  Text folder = dir.Dir();
  FakeUi ui;
  RunState fields;
  ReplacingStockListFile realFile;
  std::map<std::string, Text> served;
  std::vector<Text> fetched;
  std::function<void(const Text&)> onFetch;
  std::size_t count = 0;
  RunEnd end = RunEnd::Failed;
};

TEST_F(DownloadRunTest, CancelLeavesEverythingAsItWas) {
  ui.confirmationAnswers = {false};
  fields.StockRows = {"kept"};
  WriteBytes(dir.File("brand_code.csv"), "previous");
  Run();
  EXPECT_EQ(ui.events, (std::vector<std::string>{kConfirm, "button1:on", "button2:on",
                                                 "timer:off"}));
  EXPECT_EQ(fields.StockRows, std::vector<Text>{"kept"});
  EXPECT_EQ(end, RunEnd::Cancelled);
  EXPECT_TRUE(fetched.empty());
  EXPECT_EQ(Output(), "previous");
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, StartsInTheOrderOfItsSteps) {
  Serve("9050", Row("9601", "東証1部", "x", "サービス業"));
  fields.AbortRequested = true;  // pressed while idle: cleared by the run
  fields.ExeDir = "stale/";
  Run();
  ASSERT_GE(ui.events.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(ui.events.begin(), ui.events.begin() + 6),
            (std::vector<std::string>{kConfirm, "button1:off", "button2:off", "timer:on",
                                      "status:銘柄リストダウンロード開始", "timer:off"}));
  EXPECT_EQ(fields.ExeDir, dir.Dir());
  EXPECT_TRUE(fields.StatusToggle);
  EXPECT_EQ(fetched.size(), 33u);
  EXPECT_EQ(fetched.front(), "0050");
  EXPECT_EQ(fetched.back(), "9050");
  EXPECT_TRUE(ui.HasEvent(kFinished));
}

TEST_F(DownloadRunTest, NoIndustrySelectedKeepsTheTimerOnAndEmptiesTheFile) {
  for (const IndustryEntry& industry : IndustryCatalogue()) ui.checkBoxes[industry.checkBox] = false;
  WriteBytes(dir.File("brand_code.csv"), "a much longer earlier list\r\n");
  bool timerOnDuringMessage = false;
  ui.onInformation = [&](const Text&) { timerOnDuringMessage = ui.timerOn; };
  Run();
  EXPECT_TRUE(fetched.empty());
  EXPECT_TRUE(timerOnDuringMessage);
  EXPECT_TRUE(OutputExists());
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(ui.events.back(), "timer:off");
  EXPECT_TRUE(ui.HasEvent(kFinished));
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, IndustriesWithoutMarketsAreFetchedAndWriteNothing) {
  for (const MarketEntry& market : MarketCatalogue()) ui.checkBoxes[market.checkBox] = false;
  Serve("0050", Row("1301", "東証1部", "見本水産", "水産・農林業"));
  Run();
  EXPECT_EQ(fetched.size(), 33u);
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(Output(), "");
  EXPECT_TRUE(ui.HasEvent(kFinished));
}

TEST_F(DownloadRunTest, SkipsUnselectedIndustriesWithoutTouchingTheTimer) {
  for (const IndustryEntry& industry : IndustryCatalogue()) ui.checkBoxes[industry.checkBox] = false;
  ui.checkBoxes[16] = true;  // サービス業, the last position
  Run();
  EXPECT_EQ(fetched, std::vector<Text>{"9050"});
  EXPECT_EQ(ui.EventsWithPrefix("timer:"),
            (std::vector<std::string>{"timer:on", "timer:off", "timer:off"}));
}

TEST_F(DownloadRunTest, AbortAtTheFirstAbortPointWritesNothing) {
  WriteBytes(dir.File("brand_code.csv"), "previous");
  ui.AtPump(1, [&] { fields.AbortRequested = true; });
  Run();
  EXPECT_EQ(end, RunEnd::Aborted);
  EXPECT_TRUE(fetched.empty());
  EXPECT_EQ(ui.LastStatus(), Sjis("ダウンロード中止"));
  EXPECT_EQ(Output(), "previous");
  EXPECT_FALSE(ui.HasEvent(kFinished));
  EXPECT_EQ(std::vector<std::string>(ui.events.end() - 4, ui.events.end()),
            (std::vector<std::string>{"button1:on", "button2:on", "timer:off",
                                      "status:ダウンロード中止"}));
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, AbortDuringTheFirstFetchEndsAtTheNextAbortPoint) {
  Serve("0050", Row("1301", "東証1部", "見本水産", "水産・農林業"));
  onFetch = [&](const Text&) { fields.AbortRequested = true; };
  Run();
  EXPECT_EQ(fetched, std::vector<Text>{"0050"});
  EXPECT_EQ(count, 0u);
  EXPECT_FALSE(OutputExists());
  EXPECT_EQ(ui.LastStatus(), Sjis("ダウンロード中止"));
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, AbortInTheMiddleOfAnInsertionStopsThere) {
  // Three rows in descending order: the third insertion compares twice and
  // moves twice. Pumps: 1 (position 1), 2 (row 1), 3 (row 2), 4 (compare),
  // 5 (move), 6 (row 3), 7 (compare), 8 (compare), 9 (move) ...
  Serve("0050", Rows({Row("3000", "東証1部", "c", "水産・農林業"),
                      Row("2000", "東証1部", "b", "水産・農林業"),
                      Row("1000", "東証1部", "a", "水産・農林業")}));
  ui.AtPump(9, [&] { fields.AbortRequested = true; });
  Run();
  EXPECT_EQ(ui.pumpCount, 9);
  EXPECT_EQ(count, 2u);
  EXPECT_FALSE(OutputExists());
  EXPECT_EQ(ui.LastStatus(), Sjis("ダウンロード中止"));
}

TEST_F(DownloadRunTest, KeepsRowsInCodeOrderAndEqualCodesInArrivalOrder) {
  Serve("0050", Rows({Row("2000", "東証1部", "first", "水産・農林業"),
                      Row("3000", "東証1部", "x", "水産・農林業"),
                      Row("2500", "東証1部", "y", "水産・農林業")}));
  Serve("1050", Rows({Row("1000", "東証1部", "z", "鉱業"),
                      Row("2000", "東証1部", "second", "鉱業")}));
  Run();
  const std::vector<Text> expected = {
      Row("1000", "東証1部", "z", "鉱業"), Row("2000", "東証1部", "first", "水産・農林業"),
      Row("2000", "東証1部", "second", "鉱業"), Row("2500", "東証1部", "y", "水産・農林業"),
      Row("3000", "東証1部", "x", "水産・農林業")};
  EXPECT_EQ(std::vector<Text>(fields.StockRows.begin(), fields.StockRows.begin() + 5), expected);
  EXPECT_EQ(fields.StockRows.size(), kStockRowSlots);
  EXPECT_EQ(fields.StockRows[5], "");
  EXPECT_EQ(Output(), Lines(expected));
  EXPECT_EQ(end, RunEnd::Finished);
  EXPECT_EQ(ui.statusTexts.back(), Sjis("銘柄情報保存：") + expected.back());
}

TEST_F(DownloadRunTest, WritesOnlyRowsWhoseMarketAndIndustryAreSelected) {
  ui.CheckAll(false);
  ui.checkBoxes[7] = true;   // ジャスダック: JASDAQ, NEO
  ui.checkBoxes[18] = true;  // 建設業
  const Text neo = Row("1400", "NEO", "見本建設", "建設業");
  const Text jasdaq = Row("1401", "JASDAQ", "見本工務店", "建設業");
  const Text tokyo = Row("1402", "東証1部", "見本組", "建設業");
  const Text comma = "1403,NEO," + Sjis("見本,建設") + "," + Sjis("建設業");
  const Text unknown = Row("1404", "東証", "見本", "建設業");
  const Text shortRow = "1405";
  Serve("2050", Rows({neo, jasdaq, tokyo, comma, unknown, shortRow}));
  Run();
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(Output(), Lines({neo, jasdaq}));
}

TEST_F(DownloadRunTest, AKeyThatIsNotANumberEndsTheRunWithItsMessage) {
  WriteBytes(dir.File("brand_code.csv"), "previous");
  // The first row is never compared on its own; its key is read when the
  // second arrives.
  Serve("0050", Rows({"12a4,NEO,x," + Sjis("水産・農林業"),
                      Row("1301", "NEO", "y", "水産・農林業")}));
  Run();
  EXPECT_EQ(ui.EventsWithPrefix("error:"),
            std::vector<std::string>{"error:'12a4' は整数ではありません"});
  EXPECT_EQ(Output(), "previous");
  EXPECT_FALSE(ui.HasEvent(kFinished));
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, ASingleRowWithABadKeyIsNeverReadAndIsWritten) {
  const Text row = "ABCD,NEO,x," + Sjis("水産・農林業");
  Serve("0050", row);
  Run();
  EXPECT_TRUE(ui.EventsWithPrefix("error:").empty());
  EXPECT_EQ(Output(), row + "\r\n");
}

TEST_F(DownloadRunTest, AnUnwritableTargetIsReportedAndKeptAsItWas) {
  Serve("0050", Row("1301", "東証1部", "x", "水産・農林業"));
  std::filesystem::create_directory(dir.File("brand_code.csv"));
  Run();
  EXPECT_TRUE(ui.HasEvent(kCannotWrite));
  EXPECT_FALSE(ui.HasEvent(kFinished));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("brand_code.csv")));
  EXPECT_EQ(ui.LastStatus(), Sjis("銘柄情報取得：") + Row("1301", "東証1部", "x", "水産・農林業"));
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, AReadOnlyTargetIsReportedAndKeptByteForByte) {
  Serve("0050", Row("1301", "東証1部", "x", "水産・農林業"));
  WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
  ::chmod(dir.File("brand_code.csv").c_str(), 0444);
  Run();
  EXPECT_EQ(end, RunEnd::CannotWrite);
  EXPECT_TRUE(ui.HasEvent(kCannotWrite));
  EXPECT_EQ(Output(), "previous\r\n");
}

TEST_F(DownloadRunTest, AFolderThatIsGoneIsReported) {
  Serve("0050", Row("1301", "東証1部", "x", "水産・農林業"));
  folder = dir.File("gone/");
  Run();
  EXPECT_TRUE(ui.HasEvent(kCannotWrite));
  ExpectIdleAfterRun();
}

// Fails on the n-th line written, as a full disk would.
class FailingFile : public StockListFile {
 public:
  explicit FailingFile(int failAt) : failAt_(failAt) {}
  bool Open(const std::string& path, AbortPoint& abortPoint) override {
    return real_.Open(path, abortPoint);
  }
  void WriteLine(std::string_view row) override {
    if (++written_ == failAt_) ThrowIoError(ENOSPC, "");
    real_.WriteLine(row);
  }
  void Close() override { real_.Close(); }
  void Discard() noexcept override { real_.Discard(); }

 private:
  ReplacingStockListFile real_;
  int failAt_;
  int written_ = 0;
};

TEST_F(DownloadRunTest, AWriteThatFailsPartWayKeepsThePreviousFile) {
  std::vector<Text> rows;
  for (int code = 1300; code < 1400; ++code) {
    rows.push_back(Row(std::to_string(code), "東証1部", "見本", "水産・農林業"));
  }
  Serve("0050", Rows(rows));
  WriteBytes(dir.File("brand_code.csv"), "previous list\r\n");
  FailingFile failing(50);
  RunWith(failing);
  EXPECT_EQ(ui.EventsWithPrefix("error:"), std::vector<std::string>{"error:ディスクの空きが足りません（）"});
  EXPECT_EQ(end, RunEnd::WriteFailed);
  EXPECT_EQ(Output(), "previous list\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            1);  // no temporary file left behind
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, MoreRowsThanSlotsAreAllKeptAndWrittenInOrder) {
  // 12,001 rows over two industries; the second interleaves the end of the
  // first, repeats codes, and ends with a row that belongs first.
  std::vector<Text> first;
  std::vector<Text> second;
  for (int i = 0; i < 9000; ++i) {
    first.push_back(Row(std::to_string(1000 + i), "東証1部", "a", "水産・農林業"));
  }
  for (int i = 0; i < 3000; ++i) {
    second.push_back(Row(std::to_string(9000 + i / 3), "東証2部", "b", "鉱業"));
  }
  second.push_back(Row("0999", "東証2部", "first", "鉱業"));
  Serve("0050", Rows(first));
  Serve("1050", Rows(second));
  std::vector<Text> expected = first;
  expected.insert(expected.end(), second.begin(), second.end());
  std::stable_sort(expected.begin(), expected.end(), [](const Text& a, const Text& b) {
    return a.substr(0, 4) < b.substr(0, 4);
  });
  Run();
  EXPECT_EQ(count, 12001u);
  EXPECT_EQ(fields.StockRows.size(), 12001u);
  EXPECT_TRUE(Output() == Lines(expected)) << "brand_code.csv is not in code order";
}

TEST_F(DownloadRunTest, ACloseThatFailsOnARealFileKeepsThePreviousFile) {
  std::vector<Text> rows;
  for (int code = 1300; code < 1400; ++code) {
    rows.push_back(Row(std::to_string(code), "東証1部", "見本", "水産・農林業"));
  }
  Serve("0050", Rows(rows));
  const std::string previous = "previous list\r\n";
  WriteBytes(dir.File("brand_code.csv"), previous);
  {
    // The rows, flushed at the end, outgrow what the file may hold.
    const auto limit = ResourceLimit::FileSize(1000);
    Run();
  }
  EXPECT_EQ(ui.EventsWithPrefix("error:"), std::vector<std::string>{"error:I/O エラー (27)"});
  EXPECT_EQ(Output(), previous);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                          std::filesystem::directory_iterator()),
            1);
  ExpectIdleAfterRun();
}

TEST_F(DownloadRunTest, AConversionErrorEndsTheRunAndKeepsThePreviousFile) {
  WriteBytes(dir.File("brand_code.csv"), "previous");
  onFetch = [](const Text& code) {
    if (code == "1050") throw Error("UTF-8 Unknown code.");
  };
  Run();
  EXPECT_EQ(fetched, (std::vector<Text>{"0050", "1050"}));
  EXPECT_EQ(end, RunEnd::Failed);
  EXPECT_EQ(ui.EventsWithPrefix("error:"), std::vector<std::string>{"error:UTF-8 Unknown code."});
  EXPECT_EQ(Output(), "previous");
  EXPECT_FALSE(ui.HasEvent(kFinished));
  ExpectIdleAfterRun();
}

}  // namespace
}  // namespace quillivar
