// The markup of a list page that a client reads: the three cells of a row
// and the link to another page. The sample site writes its pages with these
// and the tests write theirs with them, so the two cannot drift apart.
#pragma once

#include <string>
#include <string_view>

namespace quillivar::sample {

inline constexpr std::string_view kBom = "\xEF\xBB\xBF";

inline std::string ListHref(std::string_view industryCode, long long page) {
  return "/stocks/qi/?ids=" + std::string(industryCode) + "&p=" + std::to_string(page);
}

inline std::string DetailHref(std::string_view stockCode) {
  return "/stocks/detail/?code=" + std::string(stockCode);
}

inline std::string CodeCell(std::string_view stockCode) {
  return "<td class=\"center yjM\"><a href=\"" + DetailHref(stockCode) + "\">" +
         std::string(stockCode) + "</a></td>";
}

inline std::string MarketCell(std::string_view market) {
  return "<td class=\"center yjSt\">" + std::string(market) + "</td>";
}

inline std::string NameCell(std::string_view stockCode, std::string_view name) {
  return "<td><strong class=\"yjMt\"><a href=\"" + DetailHref(stockCode) + "\">" +
         std::string(name) + "</a></strong></td>";
}

}  // namespace quillivar::sample
