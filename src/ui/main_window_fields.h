// The main window's fields that the run and the settings work on. TForm1
// owns one; the logic gets it by reference, so it runs without a window.
#pragma once

#include <array>
#include <vector>

#include "catalogue/catalogue.h"
#include "text/text.h"

namespace quillivar {

constexpr std::size_t kStockRowSlots = 10000;

struct MainWindowFields {
  std::vector<Text> StockRows;  // slots 0..count-1 in code order
  Text ExeDir;                  // native path, ending with "/"
  bool AbortRequested = false;  // set by 中止, cleared by each run
  bool StatusToggle = false;    // true: the next tick shows 銘柄情報分析中…
  SelectionFlags LoadedSelection{};
};

}  // namespace quillivar
