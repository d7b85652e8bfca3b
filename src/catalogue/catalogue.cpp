#include "catalogue/catalogue.h"

#include <algorithm>

#include "text/code_page.h"

namespace quillivar {
namespace {

struct IndustrySource {
  const char* code;
  const char* name;
  int checkBox;
};

constexpr IndustrySource kIndustries[33] = {
    {"0050", "水産・農林業", 12}, {"1050", "鉱業", 14},
    {"2050", "建設業", 18},       {"3050", "食料品", 22},
    {"3100", "繊維製品", 26},     {"3150", "パルプ・紙", 30},
    {"3200", "化学", 15},         {"3250", "医薬品", 19},
    {"3300", "石油・石炭製品", 23}, {"3350", "ゴム製品", 27},
    {"3400", "ガラス・土石製品", 31}, {"3450", "鉄鋼", 33},
    {"3500", "非鉄金属", 35},     {"3550", "金属製品", 37},
    {"3600", "機械", 39},         {"3650", "電気機器", 41},
    {"3700", "輸送用機器", 42},   {"3750", "精密機器", 43},
    {"3800", "その他製品", 40},   {"4050", "電気・ガス業", 38},
    {"5050", "陸運業", 36},       {"5100", "海運業", 34},
    {"5150", "空運業", 32},       {"5200", "倉庫・運輸関連業", 28},
    {"5250", "情報・通信", 24},   {"6050", "卸売業", 20},
    {"6100", "小売業", 17},       {"7050", "銀行業", 13},
    {"7100", "証券・商品先物取引業", 29}, {"7150", "保険業", 25},
    {"7200", "その他金融業", 21}, {"8050", "不動産業", 44},
    {"9050", "サービス業", 16},
};

}  // namespace

const std::array<MarketEntry, 10>& MarketCatalogue() {
  static const std::array<MarketEntry, 10> markets = {{
      {1, Sjis("東証１部"), {Sjis("東証1部")}},
      {2, Sjis("東証２部"), {Sjis("東証2部")}},
      {3, Sjis("マザーズ"), {Sjis("マザーズ")}},
      {4, Sjis("大証１部"), {Sjis("大証1部")}},
      {5, Sjis("大証２部"), {Sjis("大証2部")}},
      {6, Sjis("ヘラクレス"), {"HCS", "HCG", Sjis("ヘラクレス")}},
      {7, Sjis("ジャスダック"), {"JASDAQ", "NEO"}},
      {8, Sjis("福証"), {Sjis("福証")}},
      {9, Sjis("札証"), {Sjis("札証"), Sjis("札幌ア")}},
      {10, Sjis("名証"), {Sjis("名証1部"), Sjis("名証2部"), Sjis("名古屋セ")}},
  }};
  return markets;
}

const std::array<IndustryEntry, 33>& IndustryCatalogue() {
  static const std::array<IndustryEntry, 33> industries = [] {
    std::array<IndustryEntry, 33> built{};
    for (int i = 0; i < 33; ++i) {
      built[i] = {kIndustries[i].code, Sjis(kIndustries[i].name),
                  kIndustries[i].checkBox};
    }
    return built;
  }();
  return industries;
}

const std::array<int, kCheckBoxCount>& SettingsOrder() {
  static const std::array<int, kCheckBoxCount> order = [] {
    std::array<int, kCheckBoxCount> built{};
    int next = 0;
    for (const CheckBoxRange range : {kMarketBoxes, kIndustryBoxes}) {
      for (int box = range.first; box <= range.last; ++box) built[next++] = box;
    }
    return built;
  }();
  return order;
}

const Text& IndustryNameOfCode(std::string_view code) {
  static const Text kNone;
  for (const IndustryEntry& entry : IndustryCatalogue()) {
    if (entry.code == code) return entry.name;
  }
  return kNone;
}

bool IsIndustryCodeSelected(const Selection& selection, std::string_view code) {
  for (const IndustryEntry& entry : IndustryCatalogue()) {
    if (entry.code == code) return selection.IsChecked(entry.checkBox);
  }
  return false;
}

const MarketEntry* MarketOfLabel(std::string_view label) {
  for (const MarketEntry& market : MarketCatalogue()) {
    for (const Text& known : market.labels) {
      if (known == label) return &market;
    }
  }
  return nullptr;
}

bool IsMarketLabelSelected(const Selection& selection, std::string_view label) {
  const MarketEntry* market = MarketOfLabel(label);
  return market != nullptr && selection.IsChecked(market->checkBox);
}

bool IsIndustryNameSelected(const Selection& selection, std::string_view name) {
  for (const IndustryEntry& entry : IndustryCatalogue()) {
    if (entry.name == name) return selection.IsChecked(entry.checkBox);
  }
  return false;
}

bool AnyMarketSelected(const Selection& selection) {
  return std::any_of(MarketCatalogue().begin(), MarketCatalogue().end(),
                     [&](const MarketEntry& market) { return selection.IsChecked(market.checkBox); });
}

int SelectedIndustryCount(const Selection& selection) {
  return static_cast<int>(std::count_if(
      IndustryCatalogue().begin(), IndustryCatalogue().end(),
      [&](const IndustryEntry& industry) { return selection.IsChecked(industry.checkBox); }));
}

bool SelectsNoRow(const Selection& selection) {
  return !AnyMarketSelected(selection) || SelectedIndustryCount(selection) == 0;
}

}  // namespace quillivar
