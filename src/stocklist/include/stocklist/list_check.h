// Before a new list replaces brand_code.csv: does it look like the site's
// list? A login page, a site whose pages changed or a market it renamed all
// give pages without rows, and such a list must not replace a good one
// without the user's word.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "catalogue/catalogue.h"
#include "stocklist/stock_row.h"
#include "text/text.h"

namespace quillivar {

// Both its market label and its industry name are selected.
bool IsStockRowSelected(const Selection& selection, const StockRow& row);

// How many rows a list has, in all, per industry name and per market label.
class ListShape {
 public:
  void Add(const StockRow& row);
  std::size_t Rows() const { return rows_; }
  const std::map<Text, std::size_t>& Industries() const { return industries_; }
  const std::map<Text, std::size_t>& Markets() const { return markets_; }

 private:
  std::size_t rows_ = 0;
  std::map<Text, std::size_t> industries_;
  std::map<Text, std::size_t> markets_;
};

// What the run fetched, before any row was filtered out.
struct FetchedCount {
  int industries = 0;
  std::size_t rows = 0;
  std::set<Text> marketLabels;  // of every row, in byte order
};

// Why a new list does not look like the site's list.
struct SuspectList {
  std::size_t newRows = 0;
  std::size_t earlierRows = 0;
  int fetchedIndustries = 0;
  bool noRowAtAll = false;             // industries were fetched, none had a row
  std::vector<Text> emptiedIndustries;  // rows before, none now; catalogue order
  std::vector<Text> emptiedMarkets;     // likewise, by the site's label
  std::vector<Text> unknownMarkets;     // rows came, none of a catalogue market
};

// `earlier` is the list it would replace, restricted to the selection of now,
// so that a narrower selection is never taken for a loss. Suspect when
// industries were fetched and none gave a row, when rows came and none has a
// market label of the catalogue (whatever is selected), when an industry or
// market of the earlier list has no row now, or when fewer than half the rows
// are left.
std::optional<SuspectList> FindSuspectList(const ListShape& fresh, const ListShape& earlier,
                                           const FetchedCount& fetched);

// The facts for the user, one per line, without a question: the window asks
// its own, the command names its option.
Text SuspectListFacts(const SuspectList& suspect);

}  // namespace quillivar
