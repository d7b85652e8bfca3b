// A list page as the site sends it, through normalisation, conversion and
// the row scan, against rows written out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"
#include "support/fake_ui.h"
#include "support/rows_text.h"
#include "testkit/temp_dir.h"

namespace quillivar {
namespace {

std::string DataFile(const std::string& name) {
  const char* dir = std::getenv("QUILLIVAR_TEST_DATA");
  return std::string(dir ? dir : ".") + "/data/" + name;
}

TEST(PagePipelineTest, ListPageGivesTheExpectedRowsText) {
  const std::string body = testing::ReadBytes(DataFile("list_page_0050_p1.html"));
  const std::string expected = testing::ReadBytes(DataFile("list_page_0050_p1.rows.sjis"));
  ASSERT_GT(body.size(), 30000u);
  ASSERT_FALSE(expected.empty());

  Text page;
  constexpr std::size_t kChunk = 1024;
  for (std::size_t at = 0; at < body.size(); at += kChunk) {
    AppendNormalised(page, std::string_view(body).substr(at, kChunk));
  }
  page = Utf8ToSjisDropBom(page);

  EXPECT_TRUE(HasNextPageLink(page, "0050", 1));
  EXPECT_FALSE(HasNextPageLink(page, "0050", 2));

  testing::FakeUi ui;
  bool abortRequested = false;
  StockRow fields;
  std::vector<StockRow> rows;
  AbortPoint abortPoint(ui, abortRequested);
  ScanPageRows(page, "0050", fields, rows, abortPoint);
  FinishRows(rows);
  EXPECT_EQ(testing::RowsText(rows), expected);
  EXPECT_EQ(ui.pumpCount, 22);  // 21 rows on the page, and the end of the scan
}

}  // namespace
}  // namespace quillivar
