// The state a download run works on. The main window owns one under the names
// its handlers use; the command owns one of its own.
#pragma once

#include <cstddef>
#include <vector>

#include "text/text.h"

namespace quillivar {

constexpr std::size_t kStockRowSlots = 10000;

struct RunState {
  std::vector<Text> StockRows;  // slots 0..count-1 in code order
  Text ExeDir;                  // native path, ending with "/"
  bool AbortRequested = false;  // set by 中止, cleared by each run
  bool StatusToggle = false;    // true: the next tick shows 銘柄情報分析中…
};

}  // namespace quillivar
