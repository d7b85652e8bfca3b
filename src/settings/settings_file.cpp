#include "settings/settings_file.h"

#include <algorithm>

#include "catalogue/catalogue.h"
#include "text/text_file.h"
#include "ui/ui_texts.h"

namespace quillivar {

bool ReadSettingsFile(const std::string& exeDir, SelectionFlags& flags) {
  const std::string path = exeDir + kSettingsFileName;
  if (!RegularFileExists(path)) return false;
  TextFileReader reader(path);
  for (bool& flag : flags) flag = reader.ReadLine() == "True";
  return true;
}

void WriteSettingsFile(const std::string& exeDir, const SelectionFlags& flags) {
  ReplacingTextFileWriter writer(exeDir + kSettingsFileName);
  for (const bool flag : flags) writer.WriteLine(flag ? "True" : "False");
  writer.Commit();
}

SettingsRead ReadSelectionAtStart(const std::string& exeDir) {
  SettingsRead read;
  try {
    read.found = ReadSettingsFile(exeDir, read.flags);
  } catch (...) {
    read.found = true;
    read.failure = MessageOfCurrentException();
  }
  return read;
}

void ApplyLoadedSelection(CheckBoxes& checkBoxes, const SelectionFlags& flags) {
  const auto& order = SettingsOrder();
  for (std::size_t k = 0; k < order.size(); ++k) checkBoxes.SetChecked(order[k], flags[k]);
}

SelectionFlags FlagsOf(const Selection& checkBoxes) {
  SelectionFlags flags{};
  const auto& order = SettingsOrder();
  for (std::size_t k = 0; k < order.size(); ++k) flags[k] = checkBoxes.IsChecked(order[k]);
  return flags;
}

bool FlagsSelection::IsChecked(int checkBox) const {
  const auto& order = SettingsOrder();
  const auto at = std::find(order.begin(), order.end(), checkBox);
  return at != order.end() && flags_[static_cast<std::size_t>(at - order.begin())];
}

}  // namespace quillivar
