// Rows as one text, their lines joined by CR LF, for comparing whole
// listings at a glance.
#pragma once

#include <optional>
#include <vector>

#include "stocklist/stock_list_file.h"

#include "text/error.h"

namespace quillivar::testing {

inline Text RowsText(const std::vector<StockRow>& rows) {
  Text text;
  for (const StockRow& row : rows) {
    if (!text.empty()) text += "\r\n";
    text += StockListLine(row);
  }
  return text;
}

// The rows `fetch` returns; no value where it ends on an abort.
template <typename Fetch>
std::optional<Text> RowsUnlessAborted(Fetch fetch) {
  try {
    return RowsText(fetch());
  } catch (const Error& error) {
    if (!error.IsAborted()) throw;
  }
  return std::nullopt;
}

}  // namespace quillivar::testing
