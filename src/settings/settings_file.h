// UserSetting.dat: the 43 settings check boxes, one line "True" or "False"
// each, CR LF, in settings order (CheckBox1-10, then CheckBox12-44).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "catalogue/catalogue.h"
#include "text/text.h"

namespace quillivar {

constexpr char kSettingsFileName[] = "UserSetting.dat";

// Sets flag k when line k is exactly "True"; false when there is no file (or
// a folder of that name), which leaves every flag as it is. Throws IoError
// when the file cannot be opened or read; the flags of the lines read before
// keep their values.
bool ReadSettingsFile(const std::string& exeDir, SelectionFlags& flags);

// Replaces the file as a whole; a failure (IoError) leaves the old one, unless
// the save has to write in place (see ReplacingTextFileWriter).
void WriteSettingsFile(const std::string& exeDir, const SelectionFlags& flags);

// What reading the settings at start found.
struct SettingsRead {
  bool found = false;       // the file is there
  SelectionFlags flags{};   // the lines read; false where none was
  std::optional<Text> failure;  // the error box's message when the read failed
};

// ReadSettingsFile with its failure returned rather than raised: the window
// shows it in a box and starts all the same, the command prints it and stops.
SettingsRead ReadSelectionAtStart(const std::string& exeDir);

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
