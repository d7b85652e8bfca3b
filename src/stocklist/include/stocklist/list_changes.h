// What a new stock list changes against the one it replaces, as codes.
#pragma once

#include <vector>

#include "stocklist/stock_row.h"

namespace quillivar {

// The codes of one list that the other lacks, each by its first row there,
// in code order.
struct ListChanges {
  std::vector<StockRow> added;
  std::vector<StockRow> removed;
};

ListChanges ChangesBetween(const std::vector<StockRow>& previous,
                           const std::vector<StockRow>& fresh);

}  // namespace quillivar
