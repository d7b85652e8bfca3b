#include "refresh/issue_list.h"

#include "text/code_page.h"
#include "text/text_file.h"

namespace quillivar {
namespace {

constexpr std::size_t kNamedCodes = 10;

// How many codes of `from` are not in `other`, and the first of them named:
// "2 (1301 見本水産, 1302 見本農林)".
std::string CodesMissingFrom(const IssueList& from, const IssueList& other) {
  std::size_t count = 0;
  std::string named;
  for (const auto& [code, name] : from.names) {
    if (other.names.contains(code)) continue;
    if (++count > kNamedCodes) continue;
    if (count > 1) named.append(", ");
    named.append(SjisToUtf8(code)).append(" ").append(SjisToUtf8(name));
  }
  if (count > kNamedCodes) named.append(", ...");
  std::string text = std::to_string(count);
  if (count > 0) text.append(" (").append(named).append(")");
  return text;
}

}  // namespace

void IssueList::AddRow(std::string_view row) {
  ++rows;
  // No second byte of a Shift-JIS character is a comma.
  const std::size_t codeEnd = row.find(',');
  std::string_view name;
  if (codeEnd != std::string_view::npos) {
    const std::size_t marketEnd = row.find(',', codeEnd + 1);
    if (marketEnd != std::string_view::npos) {
      name = row.substr(marketEnd + 1);
      name = name.substr(0, name.find(','));
    }
  }
  names.emplace(Text(row.substr(0, codeEnd)), Text(name));
}

std::optional<IssueList> ReadIssueList(const std::string& path, AbortPoint& abortPoint) {
  try {
    TextFileReader reader = TextFileReader::OfFileTheSaveWouldReplace(path, &abortPoint);
    IssueList list;
    // The run writes no empty row: the first empty line is the end.
    for (Text row = reader.ReadLine(); !row.empty(); row = reader.ReadLine()) list.AddRow(row);
    return list;
  } catch (const IoError&) {
    return std::nullopt;
  }
}

std::string DescribeChanges(const IssueList& written, const std::optional<IssueList>& previous) {
  std::string text = "rows=" + std::to_string(written.rows);
  if (!previous) return text.append(" previous=none");
  text.append(" previous=").append(std::to_string(previous->rows));
  text.append(" added=").append(CodesMissingFrom(written, *previous));
  text.append(" removed=").append(CodesMissingFrom(*previous, written));
  return text;
}

}  // namespace quillivar
