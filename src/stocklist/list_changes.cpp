#include "stocklist/list_changes.h"

#include <map>

#include "stocklist/stock_code.h"

namespace quillivar {
namespace {

// Code -> its first row, in code order.
using RowsByCode = std::map<StockCode, const StockRow*>;

RowsByCode FirstRowByCode(const std::vector<StockRow>& rows) {
  RowsByCode byCode;
  for (const StockRow& row : rows) byCode.emplace(StockCode(row.code), &row);
  return byCode;
}

std::vector<StockRow> RowsMissingFrom(const RowsByCode& from, const RowsByCode& other) {
  std::vector<StockRow> missing;
  for (const auto& [code, row] : from) {
    if (!other.contains(code)) missing.push_back(*row);
  }
  return missing;
}

}  // namespace

ListChanges ChangesBetween(const std::vector<StockRow>& previous,
                           const std::vector<StockRow>& fresh) {
  const RowsByCode previousRows = FirstRowByCode(previous);
  const RowsByCode freshRows = FirstRowByCode(fresh);
  return {RowsMissingFrom(freshRows, previousRows), RowsMissingFrom(previousRows, freshRows)};
}

}  // namespace quillivar
