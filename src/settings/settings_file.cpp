#include "settings/settings_file.h"

#include "catalogue/catalogue.h"
#include "text/text_file.h"
#include "ui/ui_texts.h"

namespace quillivar {

void ReadSettingsFile(const std::string& exeDir, std::array<bool, 43>& flags) {
  const std::string path = exeDir + kSettingsFileName;
  if (!RegularFileExists(path)) return;
  TextFileReader reader(path);
  for (bool& flag : flags) flag = reader.ReadLine() == "True";
}

void WriteSettingsFile(const std::string& exeDir, const std::array<bool, 43>& flags) {
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
  const std::array<int, 43>& order = SettingsOrder();
  for (std::size_t k = 0; k < order.size(); ++k) {
    ui.SetCheckBoxChecked(order[k], fields.LoadedSelection[k]);
  }
}

}  // namespace quillivar
