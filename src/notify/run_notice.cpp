#include "notify/run_notice.h"

#include "files/executable_directory.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

constexpr std::size_t kNamedCodes = 3;
constexpr std::string_view kNotUpdated = "銘柄リストは更新していません";

// "追加: 139A ヒカリエ農園、1301 見本水産、1302 見本農林 ほか 5"
std::string NamedCodes(std::string_view kind, const std::vector<StockRow>& rows) {
  std::string line = std::string(kind).append(": ");
  for (std::size_t i = 0; i < rows.size() && i < kNamedCodes; ++i) {
    if (i > 0) line.append("、");
    line.append(SjisToUtf8(rows[i].code)).append(" ").append(SjisToUtf8(rows[i].name));
  }
  if (rows.size() > kNamedCodes) line.append(" ほか ").append(std::to_string(rows.size() - kNamedCodes));
  return line;
}

}  // namespace

std::optional<Notice> WrittenNotice(const RunResult& result) {
  const std::string rows = std::to_string(result.written.size());
  if (!result.previousRows) {
    // A list that could not be read gives no changes to tell, only the count.
    return Notice{result.previousFailure ? "銘柄リストを書き出しました" : "銘柄リストを作成しました",
                  "brand_code.csv に " + rows + " 件を書き出しました"};
  }
  const ListChanges& changes = result.changes;
  if (changes.added.empty() && changes.removed.empty()) return std::nullopt;
  Notice notice{"銘柄リストを更新しました（追加 " + std::to_string(changes.added.size()) + " 件、削除 " +
                    std::to_string(changes.removed.size()) + " 件）",
                "全 " + rows + " 件（これまで " + std::to_string(*result.previousRows) + " 件）"};
  if (!changes.added.empty()) notice.body.append("\n").append(NamedCodes("追加", changes.added));
  if (!changes.removed.empty()) notice.body.append("\n").append(NamedCodes("削除", changes.removed));
  return notice;
}

Notice FailedNotice(std::string_view detail, bool listAsItWas) {
  // The command's bilingual details put the Japanese first, then " / ".
  std::string cause(detail.substr(0, detail.find(" / ")));
  if (listAsItWas && cause.find(kNotUpdated) == std::string::npos) {
    cause.append("\n").append(kNotUpdated);
  }
  return {listAsItWas ? "銘柄リストを更新できませんでした" : "銘柄リストの書き出しでエラーが起きました",
          cause};
}

std::string NoticeIcon() {
  if (BuiltInDefaultFolder() == DefaultFolder::kUserData) return QUILLIVAR_APP_ID;
  const Text folder = RunningExecutableDirectory();
  return folder.empty() ? "" : folder + "quillivar.png";
}

}  // namespace quillivar
