#include "stocklist/stock_list_file.h"

#include <gtest/gtest.h>

namespace quillivar {
namespace {

// The line format's one reader, as the filter, the list check and the change
// report read a row.
TEST(StockListLineTest, ReadsBackByThePlacesOfItsFields) {
  const struct {
    const char* line;
    StockRow row;
  } cases[] = {
      {"1301,NEO,x,y", {"1301", "NEO", "x", "y"}},
      {"1301,NEO,a,b,c", {"1301", "NEO", "a", "b,c"}},  // a name's "," shifts the industry
      {"130,NEO,x,y", {"130,", "EO", "x", "y"}},        // a short code loses the market's start
      {"1301", {"1301", "", "", ""}},
      {"1301,NEO", {"1301", "", "", "NEO"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadStockListLine(c.line), c.row) << c.line;
  }
  EXPECT_EQ(StockListLine({"1301", "NEO", "x", "y"}), "1301,NEO,x,y");
  // Worked out from the fields, the read-back agrees with the line's.
  const std::string zero("N\0O", 3);
  for (const StockRow& row : std::vector<StockRow>{{"1301", "NEO", "x", "y"}, {"130", "NEO", "x", "y"},
                                                   {"1301", "NEO", "a,b", "c"}, {"1301", "N\x81", "x", "y"},
                                                   {"1301", "\x81\x81", "x", "y"}, {"1301", zero, "x", "y"}}) {
    EXPECT_EQ(ReadBackOf(row), ReadStockListLine(StockListLine(row))) << row.market;
  }
}

}  // namespace
}  // namespace quillivar
