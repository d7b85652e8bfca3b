#include "run/change_report.h"

#include "files/failure_text.h"
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

std::string DescribeChanges(const RunResult& result) {
  std::string text = "rows=" + std::to_string(result.written.size());
  if (const std::optional<Error>& failure = result.previousFailure) {
    const std::string english = FileFailure(failure->Code(), {}).english;
    return text.append(" previous=unreadable (")
        .append(SjisToUtf8(failure->Message()))
        .append(failure->Code() != 0 ? " / " + english : "")
        .append(")");
  }
  if (!result.previousRows) return text.append(" previous=none");
  text.append(" previous=").append(std::to_string(*result.previousRows));
  text.append(" added=").append(CountAndNames(result.changes.added));
  return text.append(" removed=").append(CountAndNames(result.changes.removed));
}

}  // namespace quillivar
