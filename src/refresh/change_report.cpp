#include "refresh/change_report.h"

#include "stocklist/list_changes.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

constexpr std::size_t kNamedCodes = 10;

// How many rows there are, and the first of them named:
// "2 (1301 見本水産, 1302 見本農林)".
std::string CountAndNames(const std::vector<StockRow>& rows) {
  std::string text = std::to_string(rows.size());
  if (rows.empty()) return text;
  text.append(" (");
  for (std::size_t i = 0; i < rows.size() && i < kNamedCodes; ++i) {
    if (i > 0) text.append(", ");
    text.append(SjisToUtf8(rows[i].code)).append(" ").append(SjisToUtf8(rows[i].name));
  }
  if (rows.size() > kNamedCodes) text.append(", ...");
  return text.append(")");
}

}  // namespace

std::string DescribeChanges(const std::vector<StockRow>& written,
                            const std::optional<std::vector<StockRow>>& previous) {
  std::string text = "rows=" + std::to_string(written.size());
  if (!previous) return text.append(" previous=none");
  const ListChanges changes = ChangesBetween(*previous, written);
  text.append(" previous=").append(std::to_string(previous->size()));
  text.append(" added=").append(CountAndNames(changes.added));
  return text.append(" removed=").append(CountAndNames(changes.removed));
}

}  // namespace quillivar
