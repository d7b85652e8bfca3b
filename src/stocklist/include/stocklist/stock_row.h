// A row of the stock list: an issue as the site's list page gives it, and as
// brand_code.csv holds it (stock_list_file.h), its code first (stock_code.h).
#pragma once

#include "text/text.h"

namespace quillivar {

// One issue of the site's list, its fields as the page gives them. While a
// page is scanned it is also the row being built, kept between rows and pages
// of one industry: a field that a row does not set keeps the previous value.
struct StockRow {
  Text code;
  Text market;
  Text name;
  Text industry;
  bool operator==(const StockRow&) const = default;
};

}  // namespace quillivar
