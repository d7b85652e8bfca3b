#include "catalogue/catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "text/code_page.h"

namespace quillivar {
namespace {

class CheckedBoxes : public Selection {
 public:
  explicit CheckedBoxes(std::set<int> checked) : checked_(std::move(checked)) {}
  bool IsChecked(int checkBox) const override { return checked_.count(checkBox) > 0; }

 private:
  std::set<int> checked_;
};

std::set<int> AllBoxes() {
  const auto& order = SettingsOrder();
  return {order.begin(), order.end()};
}

TEST(CatalogueTest, TablesHaveTheirShapeAndEveryBoxOnce) {
  std::set<int> boxes;
  int labels = 0;
  for (const MarketEntry& market : MarketCatalogue()) {
    boxes.insert(market.checkBox);
    labels += static_cast<int>(market.labels.size());
  }
  EXPECT_EQ(labels, 16);
  Text previousCode;
  for (const IndustryEntry& industry : IndustryCatalogue()) {
    EXPECT_EQ(industry.code.size(), 4u);
    EXPECT_LT(previousCode, industry.code);  // codes ascend in visiting order
    previousCode = industry.code;
    boxes.insert(industry.checkBox);
  }
  EXPECT_EQ(boxes, AllBoxes());
  EXPECT_EQ(boxes.count(11), 0u);
  EXPECT_EQ(SettingsOrder().front(), 1);
  EXPECT_EQ(SettingsOrder()[10], 12);
  EXPECT_EQ(SettingsOrder().back(), 44);
}

TEST(CatalogueTest, TextsAreShiftJis) {
  EXPECT_EQ(MarketCatalogue()[0].caption, "\x93\x8C\x8F\xD8\x82\x50\x95\x94");  // 東証１部
  EXPECT_EQ(MarketCatalogue()[0].labels[0], "\x93\x8C\x8F\xD8" "1" "\x95\x94");
  EXPECT_EQ(IndustryNameOfCode("0050"), Sjis("水産・農林業"));
  EXPECT_NE(IndustryNameOfCode("0050").find("\x81\x45"), Text::npos);  // the middle dot
}

TEST(IndustryNameOfCodeTest, IsExactAndEmptyForUnknownCodes) {
  EXPECT_EQ(IndustryNameOfCode("9050"), Sjis("サービス業"));
  EXPECT_EQ(IndustryNameOfCode("7050"), Sjis("銀行業"));
  EXPECT_EQ(IndustryNameOfCode("0051"), "");
  EXPECT_EQ(IndustryNameOfCode("50"), "");
  EXPECT_EQ(IndustryNameOfCode("0050 "), "");
  EXPECT_EQ(IndustryNameOfCode(""), "");
}

TEST(SelectionLookupTest, IndustryCodesFollowTheirOwnBox) {
  const CheckedBoxes onlyMining({14});
  EXPECT_TRUE(IsIndustryCodeSelected(onlyMining, "1050"));
  EXPECT_FALSE(IsIndustryCodeSelected(onlyMining, "0050"));
  const CheckedBoxes all(AllBoxes());
  EXPECT_FALSE(IsIndustryCodeSelected(all, "1234"));
  EXPECT_FALSE(IsIndustryCodeSelected(all, ""));
}

TEST(SelectionLookupTest, IndustryNamesFollowLowBoxesAtLatePositions) {
  EXPECT_TRUE(IsIndustryNameSelected(CheckedBoxes({16}), Sjis("サービス業")));
  EXPECT_TRUE(IsIndustryNameSelected(CheckedBoxes({13}), Sjis("銀行業")));
  EXPECT_FALSE(IsIndustryNameSelected(CheckedBoxes({16}), Sjis("銀行業")));
  EXPECT_FALSE(IsIndustryNameSelected(CheckedBoxes(AllBoxes()), Sjis("銀行")));
}

TEST(SelectionLookupTest, MarketLabelsMatchExactlyAndOnlyTheirMarket) {
  struct Case {
    const char* label;
    int box;
  };
  for (const Case& c : {Case{"東証1部", 1}, Case{"東証2部", 2}, Case{"マザーズ", 3},
                        Case{"大証1部", 4}, Case{"大証2部", 5}, Case{"HCS", 6},
                        Case{"HCG", 6}, Case{"ヘラクレス", 6}, Case{"JASDAQ", 7},
                        Case{"NEO", 7}, Case{"福証", 8}, Case{"札証", 9},
                        Case{"札幌ア", 9}, Case{"名証1部", 10}, Case{"名証2部", 10},
                        Case{"名古屋セ", 10}}) {
    const Text label = Sjis(c.label);
    EXPECT_TRUE(IsMarketLabelSelected(CheckedBoxes({c.box}), label)) << c.label;
    std::set<int> others = AllBoxes();
    others.erase(c.box);
    EXPECT_FALSE(IsMarketLabelSelected(CheckedBoxes(others), label)) << c.label;
  }
  const CheckedBoxes all(AllBoxes());
  for (const char* stranger : {"東証１部", "名証", "", "hcs", "NEO ", "東証1"}) {
    EXPECT_FALSE(IsMarketLabelSelected(all, Sjis(stranger))) << stranger;
  }
}

}  // namespace
}  // namespace quillivar
