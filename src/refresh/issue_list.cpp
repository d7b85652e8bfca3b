#include "refresh/issue_list.h"

#include <map>

#include "quote/stock_code.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

constexpr std::size_t kNamedCodes = 10;

// Code -> the name in its first row, in code order.
using Names = std::map<StockCode, Text>;

Names NamesByCode(const std::vector<StockRow>& rows) {
  Names names;
  for (const StockRow& row : rows) names.emplace(StockCode(row.code), row.name);
  return names;
}

// How many codes of `from` are not in `other`, and the first of them named:
// "2 (1301 見本水産, 1302 見本農林)".
std::string CodesMissingFrom(const Names& from, const Names& other) {
  std::size_t count = 0;
  std::string named;
  for (const auto& [code, name] : from) {
    if (other.contains(code)) continue;
    if (++count > kNamedCodes) continue;
    if (count > 1) named.append(", ");
    named.append(SjisToUtf8(code.Bytes())).append(" ").append(SjisToUtf8(name));
  }
  if (count > kNamedCodes) named.append(", ...");
  std::string text = std::to_string(count);
  if (count > 0) text.append(" (").append(named).append(")");
  return text;
}

}  // namespace

std::string DescribeChanges(const std::vector<StockRow>& written,
                            const std::optional<std::vector<StockRow>>& previous) {
  std::string text = "rows=" + std::to_string(written.size());
  if (!previous) return text.append(" previous=none");
  const Names writtenNames = NamesByCode(written);
  const Names previousNames = NamesByCode(*previous);
  text.append(" previous=").append(std::to_string(previous->size()));
  text.append(" added=").append(CodesMissingFrom(writtenNames, previousNames));
  text.append(" removed=").append(CodesMissingFrom(previousNames, writtenNames));
  return text;
}

}  // namespace quillivar
