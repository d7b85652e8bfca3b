// UserSetting.dat: the 43 settings check boxes, one line "True" or "False"
// each, CR LF, in settings order (CheckBox1-10, then CheckBox12-44).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "files/failure_text.h"
#include "text/text.h"

namespace quillivar {

constexpr char kSettingsFileName[] = "UserSetting.dat";

// The first line of a settings file that is not as the program writes it:
// missing (the file has fewer lines), or neither "True" nor "False".
struct SettingsDamage {
  int line = 0;  // 1-based
  bool missing = false;
};

// Sets flag k when line k is exactly "True"; false when there is no file,
// which leaves every flag as it is. Throws Error when the file cannot be
// opened or read, and with ENODEV, before opening it, when it is no regular
// file (a FIFO, a device, a folder); the flags of the lines read before keep
// their values. `damage`, when given, learns of the first unsound line;
// lines after the last flag do not count.
bool ReadSettingsFile(const std::string& exeDir, SelectionFlags& flags,
                      std::optional<SettingsDamage>* damage = nullptr);

// "PATH の 12 行目がありません" or "PATH の 1 行目が True でも False でも
// ありません", then what to do about it.
Text SettingsDamageMessage(const std::string& exeDir, const SettingsDamage& damage);

// Replaces the file as a whole; a failure (Error) leaves the old one, unless
// the save has to write in place (see ReplacingTextFileWriter).
void WriteSettingsFile(const std::string& exeDir, const SelectionFlags& flags);

// What reading the settings at start found.
struct SettingsRead {
  bool found = false;       // the file is there
  SelectionFlags flags{};   // the lines read; false where none was
  // The error box's message when the read failed: "PATH が読めません（CAUSE）"
  // or "PATH はファイルではありません".
  std::optional<FailureText> failure;
  // A file that lost lines or was edited by hand: its selection is not the
  // one the user saved, so it is never taken without a word.
  std::optional<SettingsDamage> damage;
};

// ReadSettingsFile with its failure returned rather than raised: the window
// shows it in a box and starts all the same, the command prints it and stops.
SettingsRead ReadSelectionAtStart(const std::string& exeDir);

// Why a run that nobody watches may not go on with the settings in `exeDir`;
// nothing when they are sound, and then `flags` holds them. Unlike the
// window, where the user sees the cleared boxes, such a run would replace the
// list with an empty one, or with a selection read only in part, and nobody
// would notice: no file, one that cannot be read, a damaged one, or one that
// selects no market or no industry.
std::optional<FailureText> SettingsUnfitForUnattendedRun(const std::string& exeDir,
                                                  SelectionFlags& flags);

// The main window's first activation: the loaded flags into the check boxes.
void ApplyLoadedSelection(CheckBoxes& checkBoxes, const SelectionFlags& flags);

// The other way, for the save: the check boxes as flags in settings order.
SelectionFlags FlagsOf(const Selection& checkBoxes);

// Flags in settings order as a selection, where no check boxes stand behind
// it (the command).
class FlagsSelection : public Selection {
 public:
  explicit FlagsSelection(const SelectionFlags& flags) : flags_(flags) {}
  bool IsChecked(int checkBox) const override;

 private:
  SelectionFlags flags_;
};

}  // namespace quillivar
