#include "stocklist/list_check.h"

#include <algorithm>

#include "text/code_page.h"

namespace quillivar {
namespace {

// So many names are listed; the rest are counted.
constexpr std::size_t kNamesListed = 3;

std::vector<Text> EmptiedKeys(const std::map<Text, std::size_t>& earlier,
                              const std::map<Text, std::size_t>& fresh) {
  std::vector<Text> emptied;
  for (const auto& [key, rows] : earlier) {
    if (rows > 0 && !fresh.contains(key)) emptied.push_back(key);
  }
  return emptied;
}

// Catalogue order reads better than byte order.
std::vector<Text> InCatalogueOrder(const std::vector<Text>& names) {
  std::vector<Text> ordered;
  for (const IndustryEntry& industry : IndustryCatalogue()) {
    if (std::find(names.begin(), names.end(), industry.name) != names.end()) {
      ordered.push_back(industry.name);
    }
  }
  return ordered;
}

// "建設業、食料品、化学 ほか 2"
Text NameList(const std::vector<Text>& names) {
  Text text;
  for (std::size_t k = 0; k < names.size() && k < kNamesListed; ++k) {
    if (k > 0) text += Sjis("、");
    text += names[k];
  }
  if (names.size() > kNamesListed) {
    text += Sjis(" ほか ") + IntToText(static_cast<long long>(names.size() - kNamesListed));
  }
  return text;
}

Text Count(std::size_t rows) { return IntToText(static_cast<long long>(rows)); }

}  // namespace

bool IsStockRowSelected(const Selection& selection, const StockRow& row) {
  return IsMarketLabelSelected(selection, row.market) &&
         IsIndustryNameSelected(selection, row.industry);
}

void ListShape::Add(const StockRow& row) {
  ++rows_;
  ++industries_[row.industry];
  ++markets_[row.market];
}

std::optional<SuspectList> FindSuspectList(const ListShape& fresh, const ListShape& earlier,
                                           const FetchedCount& fetched) {
  SuspectList suspect;
  suspect.newRows = fresh.Rows();
  suspect.earlierRows = earlier.Rows();
  suspect.fetchedIndustries = fetched.industries;
  suspect.noRowAtAll = fetched.industries > 0 && fetched.rows == 0;
  suspect.emptiedIndustries =
      InCatalogueOrder(EmptiedKeys(earlier.Industries(), fresh.Industries()));
  suspect.emptiedMarkets = EmptiedKeys(earlier.Markets(), fresh.Markets());
  if (std::none_of(fetched.marketLabels.begin(), fetched.marketLabels.end(),
                   [](const Text& label) { return MarketOfLabel(label) != nullptr; })) {
    suspect.unknownMarkets.assign(fetched.marketLabels.begin(), fetched.marketLabels.end());
  }
  const bool shrunk = fresh.Rows() * 2 < earlier.Rows();
  if (!suspect.noRowAtAll && !shrunk && suspect.emptiedIndustries.empty() &&
      suspect.emptiedMarkets.empty() && suspect.unknownMarkets.empty()) {
    return std::nullopt;
  }
  return suspect;
}

Text SuspectListFacts(const SuspectList& suspect) {
  Text facts;
  if (suspect.noRowAtAll) {
    facts += Sjis("取得した ") + IntToText(suspect.fetchedIndustries) +
             Sjis(" 業種のどのページにも銘柄がありませんでした。\n");
  }
  facts += Sjis("新しい銘柄リストは ") + Count(suspect.newRows) +
           Sjis(" 件です（これまでのリストで今の選択に当たるものは ") +
           Count(suspect.earlierRows) + Sjis(" 件）。\n");
  if (!suspect.emptiedIndustries.empty()) {
    facts += Sjis("銘柄が一つもなくなった業種：") + NameList(suspect.emptiedIndustries) + "\n";
  }
  if (!suspect.emptiedMarkets.empty()) {
    facts += Sjis("銘柄が一つもなくなった市場：") + NameList(suspect.emptiedMarkets) + "\n";
  }
  if (!suspect.unknownMarkets.empty()) {
    return facts + Sjis("サイトの市場名（") + NameList(suspect.unknownMarkets) +
           Sjis("）はどれもこのプログラムの市場ではありません。"
                "サイトがこのプログラムの知らない市場名を使っている可能性があります。");
  }
  return facts + Sjis("相場サイトがログインページなどを返したか、ページの作りが変わった可能性があります。");
}

}  // namespace quillivar
