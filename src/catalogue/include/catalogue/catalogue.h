// The fixed vocabulary of the system: the ten markets and the thirty-three
// industry categories, keyed by the number of their settings check box.
#pragma once

#include <array>
#include <vector>

#include "text/text.h"

namespace quillivar {

// The settings check boxes: the markets' numbered 1-10, the industries'
// 12-44; no box carries 11.
struct CheckBoxRange {
  int first;
  int last;
};
constexpr CheckBoxRange kMarketBoxes{1, 10};
constexpr CheckBoxRange kIndustryBoxes{12, 44};
constexpr std::size_t kCheckBoxCount = (kMarketBoxes.last - kMarketBoxes.first + 1) +
                                       (kIndustryBoxes.last - kIndustryBoxes.first + 1);
// A table indexed by box number has this many places.
constexpr std::size_t kCheckBoxNumbers = kIndustryBoxes.last + 1;

// One flag per check box, in the order of the settings file.
using SelectionFlags = std::array<bool, kCheckBoxCount>;

// Says whether settings check box N (1-10, 12-44) is checked, at the moment
// it is asked: the settings dialog's live check boxes stand behind it.
class Selection {
 public:
  virtual ~Selection() = default;
  virtual bool IsChecked(int checkBox) const = 0;
};

// The live check boxes themselves: read, and set.
class CheckBoxes : public Selection {
 public:
  virtual void SetChecked(int checkBox, bool checked) = 0;
};

struct MarketEntry {
  int checkBox;
  Text caption;             // as the settings dialog shows it ("東証１部")
  std::vector<Text> labels;  // as the quote site writes it ("東証1部")
};

// In visiting order.
struct IndustryEntry {
  Text code;     // four ASCII digits, always text ("0050")
  Text name;     // row field and check box caption
  int checkBox;
};

const std::array<MarketEntry, 10>& MarketCatalogue();
const std::array<IndustryEntry, 33>& IndustryCatalogue();

// The check boxes in the order of the settings file: 1-10, then 12-44.
const std::array<int, kCheckBoxCount>& SettingsOrder();

// Empty when no industry has this code.
const Text& IndustryNameOfCode(std::string_view code);
bool IsIndustryCodeSelected(const Selection& selection, std::string_view code);
// Null for a label that no market of the catalogue has.
const MarketEntry* MarketOfLabel(std::string_view label);
bool IsMarketLabelSelected(const Selection& selection, std::string_view label);
bool IsIndustryNameSelected(const Selection& selection, std::string_view name);

bool AnyMarketSelected(const Selection& selection);
int SelectedIndustryCount(const Selection& selection);
// No market or no industry: whatever the site sends, no row can be kept.
bool SelectsNoRow(const Selection& selection);

}  // namespace quillivar
