#include "settings/settings_file.h"

#include "catalogue/catalogue.h"
#include "text/text_file.h"
#include "ui/ui_texts.h"

namespace quillivar {

void ReadSettingsFile(const std::string& exeDir, SelectionFlags& flags) {
  const std::string path = exeDir + kSettingsFileName;
  if (!RegularFileExists(path)) return;
  TextFileReader reader(path);
  for (bool& flag : flags) flag = reader.ReadLine() == "True";
}

void WriteSettingsFile(const std::string& exeDir, const SelectionFlags& flags) {
  ReplacingTextFileWriter writer(exeDir + kSettingsFileName);
  for (const bool flag : flags) writer.WriteLine(flag ? "True" : "False");
  writer.Commit();
}

void LoadSelectionAtCreate(UiServices& ui, MainWindowFields& fields) {
  fields.ExeDir = ui.ExecutableDirectory();
  try {
    ReadSettingsFile(fields.ExeDir, fields.LoadedSelection);
  } catch (...) {
    ui.ShowErrorBox(MessageOfCurrentException());
  }
}

void ApplyLoadedSelection(UiServices& ui, const MainWindowFields& fields) {
  const auto& order = SettingsOrder();
  for (std::size_t k = 0; k < order.size(); ++k) {
    ui.SetCheckBoxChecked(order[k], fields.LoadedSelection[k]);
  }
}

SelectionFlags FlagsOf(const Selection& checkBoxes) {
  SelectionFlags flags{};
  const auto& order = SettingsOrder();
  for (std::size_t k = 0; k < order.size(); ++k) flags[k] = checkBoxes.IsChecked(order[k]);
  return flags;
}

}  // namespace quillivar
