// Rows as one text, their lines joined by CR LF, for comparing whole
// listings at a glance.
#pragma once

#include <optional>
#include <vector>

#include "stocklist/stock_list_file.h"

namespace quillivar::testing {

inline Text RowsText(const std::vector<StockRow>& rows) {
  Text text;
  for (const StockRow& row : rows) {
    if (!text.empty()) text += "\r\n";
    text += StockListLine(row);
  }
  return text;
}

// No value, as after an abort, stays none.
inline std::optional<Text> RowsText(const std::optional<std::vector<StockRow>>& rows) {
  if (!rows) return std::nullopt;
  return RowsText(*rows);
}

}  // namespace quillivar::testing
