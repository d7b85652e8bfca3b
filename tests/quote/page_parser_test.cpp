#include "quote/page_parser.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_ui.h"
#include "support/rows_text.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

// The cells of one table row as they read after normalisation.
std::string CodeCell(const std::string& code) {
  return "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=" + code + "\">" +
         code + "</a></td>";
}
std::string MarketCell(const std::string& market) {
  return "<tdclass=\"centeryjSt\">" + market + "</td>";
}
std::string NameCell(const std::string& code, const std::string& name) {
  return "<td><strongclass=\"yjMt\"><ahref=\"/stocks/detail/?code=" + code +
         "\">" + name + "</a></strong></td>";
}
std::string Row(const std::string& code, const std::string& market,
                const std::string& name) {
  return "<tr>" + CodeCell(code) + MarketCell(market) + NameCell(code, name) +
         "<td>123</td></tr>";
}

class PageScanTest : public ::testing::Test {
 protected:
  // False when the scan ended on an abort.
  bool Scan(const std::string& page, const std::string& industry = "0050") {
    AbortPoint abortPoint(ui, abortRequested);
    bool finished = true;
    try {
      ScanPageRows(page, industry, fields, scanned, abortPoint);
    } catch (const Error& error) {
      finished = !error.IsAborted();
    }
    rows = testing::RowsText(scanned) + (scanned.empty() ? "" : "\r\n");
    return finished;
  }

  testing::FakeUi ui;
  bool abortRequested = false;
  StockRow fields;
  std::vector<StockRow> scanned;
  Text rows;  // the rows scanned so far, each line ended
  const Text fishery = Sjis("水産・農林業");
};

TEST_F(PageScanTest, RowsComeInTableOrderWithTheIndustryName) {
  const std::string page = "<table>" + Row("1301", Sjis("東証1部"), Sjis("見本水産")) +
                           Row("1332", "JASDAQ", "A,B") + "</table>";
  EXPECT_TRUE(Scan(page));
  EXPECT_EQ(rows, "1301," + Sjis("東証1部") + "," + Sjis("見本水産") + "," + fishery +
                      "\r\n1332,JASDAQ,A,B," + fishery + "\r\n");
  EXPECT_EQ(ui.pumpCount, 3);  // before each row and before the search that ends
}

TEST_F(PageScanTest, APageWithoutCodeMarkerGivesNoRows) {
  EXPECT_TRUE(Scan(""));
  EXPECT_TRUE(Scan("<html>" + MarketCell("M") + NameCell("1301", "N") + "</html>"));
  EXPECT_EQ(rows, "");
}

TEST_F(PageScanTest, OnlyAMarketOfExactlyNbspDropsTheRow) {
  Scan(Row("1001", "&nbsp;", "Dropped") + Row("1002", "M&nbsp;", "Kept") +
       Row("1003", "M", "Next"));
  EXPECT_EQ(rows, "1002,M&nbsp;,Kept," + fishery + "\r\n1003,M,Next," + fishery +
                      "\r\n");
}

TEST_F(PageScanTest, ARowWithoutMarketCellTakesTheNextRowsCells) {
  const std::string noMarket = "<tr>" + CodeCell("1001") + NameCell("1001", "A") + "</tr>";
  Scan(noMarket + Row("1002", "M2", "B") + Row("1003", "M3", "C"));
  // 1002 is consumed by 1001's searches and has no line of its own.
  EXPECT_EQ(rows, "1001,M2,B," + fishery + "\r\n1003,M3,C," + fishery + "\r\n");
}

TEST_F(PageScanTest, WithoutAnyLaterMarketCellThePreviousMarketStays) {
  const std::string noMarket = "<tr>" + CodeCell("1002") + NameCell("1002", "B") + "</tr>";
  Scan(noMarket + Row("1001", "&nbsp;", "A") + noMarket);
  // The first row takes the next row's "&nbsp;"; the last one, with no market
  // cell after it, keeps it.
  EXPECT_EQ(rows, "");
  fields = StockRow{};
  Scan(noMarket);
  EXPECT_EQ(rows, "1002,,B," + fishery + "\r\n");  // first row of the industry
}

TEST_F(PageScanTest, AMarketCellWithoutEndGivesAnEmptyMarket) {
  // No "</td>" anywhere after the market marker.
  Scan(Row("1001", "M", "A") +
       "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=1002\">1002"
       "<tdclass=\"centeryjSt\">M2<td><strongclass=\"yjMt\">"
       "<ahref=\"/stocks/detail/?code=1002\">B</a>");
  EXPECT_EQ(rows, "1001,M,A," + fishery + "\r\n1002,,B," + fishery + "\r\n");
}

TEST_F(PageScanTest, ANameWithoutLinkEndIsEmptyAndEndsThePage) {
  const std::string unclosed =
      "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=1002\">1002"
      "<tdclass=\"centeryjSt\">M2</td>"
      "<td><strongclass=\"yjMt\"><ahref=\"/stocks/detail/?code=1002\">B";
  const std::string third =
      "<tdclass=\"centeryjM\"><ahref=\"/stocks/detail/?code=1003\">1003";
  EXPECT_TRUE(Scan(Row("1001", "M", "A") + unclosed + third));
  EXPECT_EQ(rows, "1001,M,A," + fishery + "\r\n1002,M2,," + fishery + "\r\n");
}

TEST_F(PageScanTest, ACodeWithoutNameMarkerReusesTheNameAndEndsTheScan) {
  Scan(Row("1001", "M", "A") + "<tr>" + CodeCell("1002") + MarketCell("M2") + "</tr>" +
       "<tr>" + CodeCell("1003") + MarketCell("M3") + "</tr>");
  EXPECT_EQ(rows, "1001,M,A," + fishery + "\r\n1002,M2,A," + fishery + "\r\n");
}

// Whatever the length of the link's code; a tag that does not end before
// the link does puts the name 59 bytes after the marker's start.
TEST_F(PageScanTest, TheNameStartsAfterItsLinksTag) {
  const std::string tagWithoutEnd =
      "<td><strongclass=\"yjMt\"><ahref=\"/stocks/detail/?code=1301>>ABCD</a>\">";
  const struct {
    std::string nameCell;
    const char* name;
  } cases[] = {{NameCell("13010", "Five"), "Five"}, {NameCell("130", "Three"), "Three"},
               {NameCell("130A", "Four"), "Four"}, {tagWithoutEnd, "ABCD"}};
  for (const auto& c : cases) {
    scanned.clear();
    Scan(CodeCell("1301") + MarketCell("M") + c.nameCell);
    EXPECT_EQ(rows, "1301,M," + std::string(c.name) + "," + fishery + "\r\n");
  }
}

TEST_F(PageScanTest, ACodeOutsideTheCatalogueGivesAnEmptyIndustry) {
  Scan(Row("1001", "M", "A"), "0051");
  EXPECT_EQ(rows, "1001,M,A,\r\n");
  EXPECT_EQ(fields.industry, "");
}

TEST_F(PageScanTest, FieldsAndRowsCarryOverFromPageToPage) {
  Scan(Row("1001", "M", "A"));
  // The next page's only row has neither market cell nor name.
  Scan("<tr>" + CodeCell("1002") + "</tr>");
  EXPECT_EQ(rows, "1001,M,A," + fishery + "\r\n1002,M,A," + fishery + "\r\n");
}

TEST_F(PageScanTest, AnAbortBeforeARowAppendsNothingMore) {
  const std::string page = Row("1001", "M", "A") + Row("1002", "M", "B");
  ui.AtPump(2, [this] { abortRequested = true; });
  EXPECT_FALSE(Scan(page));
  EXPECT_EQ(rows, "1001,M,A," + fishery + "\r\n");
  EXPECT_EQ(ui.pumpCount, 2);

  scanned.clear();
  abortRequested = false;
  ui.AtPump(ui.pumpCount + 1, [this] { abortRequested = true; });
  EXPECT_FALSE(Scan(page));
  EXPECT_EQ(rows, "");
}

TEST(NextPageLinkTest, OnlyTheLinkToTheNextPageOfThisIndustryCounts) {
  auto link = [](const std::string& ids, const std::string& p) {
    return "<ahref=\"/stocks/qi/?ids=" + ids + "&p=" + p + "\">" + p + "</a>";
  };
  const std::string others = link("0050", "1") + link("0050", "3") +
                             link("0050", "20") + link("1050", "2") +
                             link("00500", "2") + "<ahref=\"/stocks/qi/?ids=0050&p=2\"class=\"x\">";
  EXPECT_FALSE(HasNextPageLink(others, "0050", 1));
  EXPECT_TRUE(HasNextPageLink(others + link("0050", "2"), "0050", 1));
  EXPECT_TRUE(HasNextPageLink(others, "0050", 2));   // page 3
  EXPECT_TRUE(HasNextPageLink(others, "0050", 19));  // page 20
  EXPECT_TRUE(HasNextPageLink(others, "1050", 1));
  EXPECT_FALSE(HasNextPageLink("", "0050", 1));
  EXPECT_TRUE(HasNextPageLink(link("0050", "9223372036854775808"), "0050",
                              9223372036854775807LL));
}

TEST(NormaliseTest, RemovesCrLfTabAndSpaceOnlyAndChunksGiveTheSameText) {
  const std::string raw =
      "<td class=\"center yjM\">\r\n\t<a  href=\"x\">\xE3\x80\x80"
      "見本 水産</a></td>\n\x0B\x0C end ";
  const std::string expected =
      "<tdclass=\"centeryjM\"><ahref=\"x\">\xE3\x80\x80見本水産</a></td>\x0B\x0C" "end";
  EXPECT_EQ(NormalisePageText(raw), expected);
  for (std::size_t chunk = 1; chunk <= raw.size(); ++chunk) {
    Text page;
    for (std::size_t at = 0; at < raw.size(); at += chunk) {
      AppendNormalised(page, std::string_view(raw).substr(at, chunk));
    }
    ASSERT_EQ(page, expected) << "chunk " << chunk;
  }
}

TEST(FinishRowsTest, TrimsControlBytesAndSpacesBeforeTheFirstCodeOnly) {
  std::vector<StockRow> rows = {{std::string("\0 1001", 6), "M", "A", ""}, {" 1002", "M", "B", ""}};
  FinishRows(rows);
  EXPECT_EQ(testing::RowsText(rows), "1001,M,A,\r\n 1002,M,B,");
  std::vector<StockRow> none;
  FinishRows(none);
  EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace quillivar
