#include "settings/settings_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "catalogue/catalogue.h"
#include "text/code_page.h"
#include "files/text_file.h"
#include "text/error.h"

namespace quillivar {

bool ReadSettingsFile(const std::string& exeDir, SelectionFlags& flags,
                      std::optional<SettingsDamage>* damage) {
  const std::string path = exeDir + kSettingsFileName;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return false;
    ThrowIoError(errno, path);
  }
  // A FIFO would hold the start until something wrote to it.
  if (!S_ISREG(info.st_mode)) ThrowIoError(ENODEV, path);
  TextFileReader reader(path);
  int lineNumber = 0;
  for (bool& flag : flags) {
    ++lineNumber;
    const bool missing = reader.AtEnd();
    const Text line = reader.ReadLine();
    flag = line == "True";
    const bool sound = flag || line == "False";
    if (damage != nullptr && !*damage && !sound) *damage = SettingsDamage{lineNumber, missing};
  }
  return true;
}

Text SettingsDamageMessage(const std::string& exeDir, const SettingsDamage& damage) {
  Text message = LenientSjis(exeDir + kSettingsFileName) + Sjis(" の ") +
                 IntToText(damage.line) + Sjis(" 行目");
  message += damage.missing ? Sjis("がありません（ファイルが途中で切れています）")
                            : Sjis("が True でも False でもありません");
  return message + Sjis("。設定を確かめて、もう一度保存してください");
}

void WriteSettingsFile(const std::string& exeDir, const SelectionFlags& flags) {
  ReplacingTextFileWriter writer(exeDir + kSettingsFileName);
  for (const bool flag : flags) writer.WriteLine(flag ? "True" : "False");
  writer.Commit();
}

SettingsRead ReadSelectionAtStart(const std::string& exeDir) {
  SettingsRead read;
  try {
    read.found = ReadSettingsFile(exeDir, read.flags, &read.damage);
  } catch (const IoError& error) {
    const Text path = LenientSjis(exeDir + kSettingsFileName);
    read.found = true;
    read.errorCode = error.Code();
    read.failure = error.Code() == ENODEV
                       ? path + Sjis(" はファイルではありません")
                       : path + Sjis(" が読めません（") + error.Message() + Sjis("）");
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
