// A list page as the quote site sends it, in its smallest form: byte-order
// mark, the table of rows with spaces inside the tags, and a link to another
// page of the industry when asked. The cells are the sample site's own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue.h"
#include "list_markup.h"
#include "text/code_page.h"

namespace quillivar::testing {

struct PageRow {
  std::string code;
  std::string market;  // UTF-8
  std::string name;    // UTF-8
};

inline std::string ListPageHead() {
  return std::string(sample::kBom) + "<html>\n<body>\n<table class=\"yjS\">\n";
}

// `moreCells`: the table's other columns, which a client passes over.
inline std::string ListPageRow(const PageRow& row, std::string_view moreCells = {}) {
  return "<tr>\n  " + sample::CodeCell(row.code) + "\n  " + sample::MarketCell(row.market) +
         "\n  " + sample::NameCell(row.code, row.name) + "\n" + std::string(moreCells) +
         "</tr>\n";
}

// `linkedPage`: the page of the industry the link at the end leads to.
inline std::string ListPageTail(std::string_view industryCode,
                                std::optional<long long> linkedPage) {
  std::string tail = "</table>\n";
  if (linkedPage) {
    tail += "<a href=\"" + sample::ListHref(industryCode, *linkedPage) + "\">next</a>\n";
  }
  return tail + "</body>\n</html>\n";
}

inline std::string ListPage(std::string_view industryCode, const std::vector<PageRow>& rows,
                            std::optional<long long> linkedPage = std::nullopt) {
  std::string page = ListPageHead();
  for (const PageRow& row : rows) page += ListPageRow(row);
  return page + ListPageTail(industryCode, linkedPage);
}

// The row as a run writes it into the list: Shift-JIS, with the industry's name.
inline Text WrittenRow(const PageRow& row, const Text& industryCode) {
  return row.code + "," + Sjis(row.market) + "," + Sjis(row.name) + "," +
         IndustryNameOfCode(industryCode);
}

}  // namespace quillivar::testing
