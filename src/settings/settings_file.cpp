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

namespace {

FailureText CannotRead(const std::string& path) {
  return {LenientSjis(path) + Sjis(" が読めません"), "cannot read " + path};
}

}  // namespace

SettingsRead ReadSelectionAtStart(const std::string& exeDir) {
  SettingsRead read;
  const std::string path = exeDir + kSettingsFileName;
  const FailureText cannotRead = CannotRead(path);
  try {
    read.found = ReadSettingsFile(exeDir, read.flags, &read.damage);
  } catch (const Error& error) {
    read.found = true;
    read.failure = error.Code() == ENODEV
                       ? FailureText{LenientSjis(path) + Sjis(" はファイルではありません"), path + " is not a file"}
                       : FailedOn(cannotRead, error.Code(), path);
  } catch (...) {
    read.found = true;
    read.failure = FailureText{MessageOfCurrentException(), cannotRead.english};
  }
  return read;
}

std::optional<FailureText> SettingsUnfitForUnattendedRun(const std::string& exeDir,
                                                  SelectionFlags& flags) {
  const std::string path = exeDir + kSettingsFileName;
  const SettingsRead read = ReadSelectionAtStart(exeDir);
  if (!read.found) {
    return FailedOn(CannotRead(path), ENOENT, path);
  }
  if (read.failure) return read.failure;
  if (read.damage) return FailureText{SettingsDamageMessage(exeDir, *read.damage), ""};
  flags = read.flags;
  const FlagsSelection selection(flags);
  if (!AnyMarketSelected(selection)) {
    return FailureText{LenientSjis(path) + Sjis(" で市場が一つも選ばれていません"),
                "no market is selected in " + path};
  }
  if (SelectedIndustryCount(selection) == 0) {
    return FailureText{LenientSjis(path) + Sjis(" で業種が一つも選ばれていません"),
                "no industry is selected in " + path};
  }
  return std::nullopt;
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
