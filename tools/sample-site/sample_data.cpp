#include "sample_data.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <set>
#include <stdexcept>

#include "catalogue/catalogue.h"
#include "text/code_page.h"

namespace quillivar::sample {
namespace {

// A fixed generator: the data must not depend on the standard library's
// distributions, which differ between implementations.
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. bound-1
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }

 private:
  std::uint64_t state_;
};

struct CodeRange {
  int first;
  int last;
};

struct IndustryPlan {
  const char* code;
  int weight;  // share of the issues, as on a real market
  std::vector<CodeRange> ranges;
  std::vector<const char*> stems;  // what the companies of this trade are called
};

const std::vector<IndustryPlan>& Plans() {
  static const std::vector<IndustryPlan> plans = {
      {"0050", 12, {{1300, 1399}}, {"水産", "漁業", "農園", "ファーム"}},
      {"1050", 8, {{1500, 1699}}, {"鉱業", "資源開発", "石灰", "鉱産"}},
      {"2050", 180, {{1700, 1999}}, {"建設", "組", "工務店", "建工", "土木", "ハウス"}},
      {"3050", 140, {{2000, 2099}, {2200, 2299}, {2800, 2999}},
       {"食品", "製菓", "製粉", "乳業", "醸造", "フーズ"}},
      {"3100", 80, {{3000, 3199}, {3500, 3599}}, {"紡績", "織物", "テキスタイル", "繊維"}},
      {"3150", 26, {{3700, 3799}}, {"製紙", "紙業", "パルプ"}},
      {"3200", 210, {{4000, 4299}, {4400, 4499}, {4600, 4699}},
       {"化学", "化成", "ケミカル", "塗料", "樹脂"}},
      {"3250", 65, {{4500, 4599}}, {"製薬", "薬品", "ファーマ"}},
      {"3300", 15, {{5000, 5099}}, {"石油", "オイル", "燃料"}},
      {"3350", 20, {{5100, 5199}}, {"ゴム", "ラバー", "護謨"}},
      {"3400", 60, {{5200, 5399}}, {"窯業", "硝子", "セメント", "陶器"}},
      {"3450", 50, {{5400, 5699}}, {"製鋼", "鋼業", "スチール", "鉄工"}},
      {"3500", 35, {{5700, 5799}}, {"精錬", "伸銅", "電線", "軽金属"}},
      {"3550", 95, {{5800, 5999}}, {"金属", "金属工業", "製作所", "螺子"}},
      {"3600", 230, {{6000, 6499}}, {"機械", "精機", "工機", "重工", "マシナリー"}},
      {"3650", 270, {{6500, 6999}}, {"電機", "電子", "電気", "デバイス", "エレクトロニクス"}},
      {"3700", 100, {{7000, 7299}}, {"自動車", "車体", "モーター", "造船", "部品"}},
      {"3750", 55, {{7700, 7799}}, {"光学", "精密", "計器", "時計"}},
      {"3800", 110, {{7800, 7999}}, {"楽器", "玩具", "文具", "印刷", "家具"}},
      {"4050", 25, {{9500, 9599}}, {"電力", "瓦斯", "エナジー"}},
      {"5050", 65, {{9000, 9099}}, {"鉄道", "運輸", "バス", "急送", "通運"}},
      {"5100", 16, {{9100, 9199}}, {"汽船", "海運", "マリン"}},
      {"5150", 5, {{9200, 9299}}, {"航空", "エアライン"}},
      {"5200", 40, {{9300, 9399}}, {"倉庫", "ロジスティクス", "港運", "物流"}},
      {"5250", 320, {{9400, 9499}, {3600, 3699}, {4700, 4799}, {3800, 3899}, {2300, 2499}},
       {"通信", "ネット", "ソフト", "システムズ", "放送", "データ"}},
      {"6050", 330, {{8000, 8199}, {2600, 2699}, {7400, 7499}},
       {"商事", "物産", "商会", "通商", "トレーディング"}},
      {"6100", 330, {{8200, 8299}, {7500, 7699}, {3300, 3399}, {2700, 2799}},
       {"ストア", "百貨店", "薬局", "マート", "書店", "リテイル"}},
      {"7050", 90, {{8300, 8499}}, {"銀行", "信託銀行", "フィナンシャル"}},
      {"7100", 40, {{8600, 8699}}, {"証券", "商品", "インベストメンツ"}},
      {"7150", 12, {{8700, 8799}}, {"保険", "損保", "生命"}},
      {"7200", 35, {{8500, 8599}}, {"リース", "信販", "クレジット", "キャピタル"}},
      {"8050", 120, {{8800, 8999}, {3200, 3299}}, {"地所", "不動産", "住宅", "エステート"}},
      {"9050", 430, {{2100, 2199}, {4300, 4399}, {9600, 9999}},
       {"サービス", "コンサルティング", "ホテル", "警備", "人材", "教育"}},
  };
  return plans;
}

// Made-up place and nature words; none is meant to name a real company.
constexpr std::array<const char*, 48> kPrefixes = {
    "翠嶺", "朧月", "楓河", "鳴砂", "白峰", "東雲", "朝霧", "北斗",
    "若葉", "銀河", "青葉台", "霧島野", "星見", "月影", "潮見", "風早",
    "雪代", "灯台", "千鳥", "琥珀", "瑠璃", "紫苑", "紅梅", "玉響",
    "ミナヅキ", "アオバ", "ソラミ", "カナタ", "ヒカリエ", "ユウナギ", "ハルカゼ", "トモシビ",
    "ＺＥＮ", "ＬＵＭＯ", "ＱＵＩＬＬ", "ＡＯＩ", "Ｎｏｒｔｈ", "Ｆｉｎｏ", "ＳＯＲＡ", "ＴＯＭＯ",
    "丸越", "三角", "八雲", "九曜", "百舌", "千歳川", "万葉", "一番星"};
constexpr std::array<const char*, 6> kSuffixes = {"", "", "", "ホールディングス", "グループ",
                                                  "工業"};

// The sixteen ways the site writes a market, with how often each occurs.
struct MarketShare {
  const char* label;
  int weight;
};
constexpr std::array<MarketShare, 16> kMarkets = {{
    {"東証1部", 40}, {"東証2部", 12}, {"マザーズ", 6}, {"大証1部", 3},
    {"大証2部", 3}, {"HCS", 2}, {"HCG", 2}, {"ヘラクレス", 2},
    {"JASDAQ", 18}, {"NEO", 1}, {"福証", 2}, {"札証", 2},
    {"札幌ア", 1}, {"名証1部", 3}, {"名証2部", 2}, {"名古屋セ", 1},
}};

// Names that test the client's handling of what real names hold: half-width
// katakana, an ASCII space, an entity, a comma, a full-width space and
// characters outside code page 932.
struct SpecialName {
  const char* industryCode;
  const char* name;
};
constexpr std::array<SpecialName, 8> kSpecialNames = {{
    {"6050", "ｱｻｷﾞﾘ通商"},
    {"5200", "Blue Harbor 物流"},
    {"9050", "K&amp;Mホールディングス"},
    {"3650", "ワン,ツー技研"},
    {"3750", "𠮷川精機"},
    {"3050", "はなまる🌸フーズ"},
    {"5250", "ＳＯＲＡ　ネットワークス"},
    {"2050", "ﾎｸﾄ建設"},
}};

constexpr int kLowestCode = 1300;
constexpr int kHighestCode = 9999;
// About one issue in this many is listed under a code outside its trade's
// usual ranges, as happens on the real market.
constexpr int kOutOfRangeEvery = 25;
// Every issue whose running number leaves this remainder shows no market.
constexpr int kNoMarketEvery = 131;
constexpr int kNoMarketRemainder = 17;

// Since 2024 new listings get a code with a letter: mostly in the 4th place
// (130A), later also in the 2nd (1A00); B, E, I, O, Q, V and Z are not used.
// The letter stands for the digit it replaces, so no two codes meet.
constexpr std::string_view kCodeLetters = "ACDFGHJKLM";
constexpr int kLetterCodeEvery = 12;
constexpr int kSecondPlaceEvery = 8;  // of the letter codes

std::string LetterCode(const std::string& digits, int nth) {
  std::string code = digits;
  const std::size_t place = nth % kSecondPlaceEvery == kSecondPlaceEvery - 1 ? 1 : 3;
  code[place] = kCodeLetters[static_cast<std::size_t>(code[place] - '0')];
  return code;
}

std::vector<int> CountsByWeight(int total) {
  const auto& plans = Plans();
  const int weightSum = std::accumulate(plans.begin(), plans.end(), 0,
                                        [](int sum, const IndustryPlan& p) { return sum + p.weight; });
  std::vector<int> counts(plans.size());
  std::vector<std::pair<long long, std::size_t>> remainders;
  int assigned = 0;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    const long long scaled = static_cast<long long>(total) * plans[i].weight;
    counts[i] = static_cast<int>(scaled / weightSum);
    assigned += counts[i];
    remainders.emplace_back(-(scaled % weightSum), i);
  }
  std::sort(remainders.begin(), remainders.end());
  for (std::size_t k = 0; assigned < total; ++k, ++assigned) ++counts[remainders[k].second];
  return counts;
}

std::string FourDigits(int code) {
  std::string text = std::to_string(code);
  return std::string(4 - text.size(), '0') + text;
}

// Codes for every industry: mostly from its own ranges, some from anywhere.
std::vector<std::vector<int>> AllotCodes(const std::vector<int>& counts, SplitMix64& random) {
  const auto& plans = Plans();
  std::set<int> used;
  std::vector<std::vector<int>> codes(plans.size());
  std::vector<int> missing(plans.size());
  for (std::size_t i = 0; i < plans.size(); ++i) {
    std::vector<int> candidates;
    for (const CodeRange& range : plans[i].ranges) {
      for (int code = range.first; code <= range.last; ++code) candidates.push_back(code);
    }
    for (std::size_t k = candidates.size(); k > 1; --k) {
      std::swap(candidates[k - 1], candidates[random.Below(k)]);
    }
    const int outside = counts[i] / kOutOfRangeEvery;
    const int inside = std::min<int>(counts[i] - outside, static_cast<int>(candidates.size()));
    codes[i].assign(candidates.begin(), candidates.begin() + inside);
    used.insert(codes[i].begin(), codes[i].end());
    missing[i] = counts[i] - inside;
  }
  std::vector<int> freeCodes;
  for (int code = kLowestCode; code <= kHighestCode; ++code) {
    if (used.count(code) == 0) freeCodes.push_back(code);
  }
  for (std::size_t i = 0; i < plans.size(); ++i) {
    for (int k = 0; k < missing[i]; ++k) {
      const std::size_t pick = random.Below(freeCodes.size());
      codes[i].push_back(freeCodes[pick]);
      freeCodes[pick] = freeCodes.back();
      freeCodes.pop_back();
    }
    std::sort(codes[i].begin(), codes[i].end());
  }
  return codes;
}

const char* PickMarket(int ordinal, SplitMix64& random) {
  // The first issues carry every label once, so that all of them occur.
  if (ordinal < static_cast<int>(kMarkets.size())) return kMarkets[ordinal].label;
  int total = 0;
  for (const MarketShare& market : kMarkets) total += market.weight;
  int pick = static_cast<int>(random.Below(total));
  for (const MarketShare& market : kMarkets) {
    if (pick < market.weight) return market.label;
    pick -= market.weight;
  }
  return kMarkets[0].label;
}

std::string MakeName(const IndustryPlan& plan, SplitMix64& random) {
  std::string name = kPrefixes[random.Below(kPrefixes.size())];
  name += plan.stems[random.Below(plan.stems.size())];
  name += kSuffixes[random.Below(kSuffixes.size())];
  return name;
}

void PlaceSpecialNames(std::vector<SampleIndustry>& industries) {
  for (const SpecialName& special : kSpecialNames) {
    for (SampleIndustry& industry : industries) {
      if (industry.code != special.industryCode || industry.issues.empty()) continue;
      industry.issues[industry.issues.size() / 2].name = special.name;
    }
  }
}

}  // namespace

SampleData::SampleData(int issueCount) : issueCount_(issueCount) {
  if (issueCount < 0 || issueCount > kMaxIssueCount) {
    throw std::invalid_argument("issue count out of range");
  }
  SplitMix64 random(0x5155494C4C495641ULL);
  const std::vector<int> counts = CountsByWeight(issueCount);
  const std::vector<std::vector<int>> codes = AllotCodes(counts, random);
  const auto& plans = Plans();
  int ordinal = 0;
  for (std::size_t i = 0; i < plans.size(); ++i) {
    SampleIndustry industry;
    industry.code = plans[i].code;
    industry.name = SjisToUtf8(IndustryNameOfCode(industry.code));
    for (const int code : codes[i]) {
      SampleIssue issue;
      issue.code = FourDigits(code);
      if (ordinal % kLetterCodeEvery == kLetterCodeEvery - 1) {
        issue.code = LetterCode(issue.code, ordinal / kLetterCodeEvery);
      }
      issue.market = ordinal % kNoMarketEvery == kNoMarketRemainder
                         ? std::string(kNoMarket)
                         : std::string(PickMarket(ordinal, random));
      issue.name = MakeName(plans[i], random);
      industry.issues.push_back(std::move(issue));
      ++ordinal;
    }
    // Listed in code order, byte by byte: 1309, 130A, 1310.
    std::sort(industry.issues.begin(), industry.issues.end(),
              [](const SampleIssue& a, const SampleIssue& b) { return a.code < b.code; });
    industries_.push_back(std::move(industry));
  }
  PlaceSpecialNames(industries_);
}

const SampleIndustry* SampleData::Find(std::string_view industryCode) const {
  for (const SampleIndustry& industry : industries_) {
    if (industry.code == industryCode) return &industry;
  }
  return nullptr;
}

std::size_t ListedRowCount(const SampleIndustry& industry) {
  return static_cast<std::size_t>(
      std::count_if(industry.issues.begin(), industry.issues.end(),
                    [](const SampleIssue& issue) { return issue.market != kNoMarket; }));
}

int PageCount(const SampleIndustry& industry, int rowsPerPage) {
  const int issues = static_cast<int>(industry.issues.size());
  return std::max(1, (issues + rowsPerPage - 1) / rowsPerPage);
}

}  // namespace quillivar::sample
