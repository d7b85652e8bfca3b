// UserSetting.dat: the 43 settings check boxes, one line "True" or "False"
// each, CR LF, in settings order (CheckBox1-10, then CheckBox12-44).
#pragma once

#include <array>
#include <string>

#include "ui/main_window_fields.h"
#include "ui/ui_services.h"

namespace quillivar {

constexpr char kSettingsFileName[] = "UserSetting.dat";

// Sets flag k when line k is exactly "True". No file (or a folder of that
// name) leaves every flag as it is. Throws IoError when the file cannot be
// opened or read; the flags of the lines read before keep their values.
void ReadSettingsFile(const std::string& exeDir, SelectionFlags& flags);

// Replaces the file as a whole; a failure (IoError) leaves the old one, unless
// the save has to write in place (see ReplacingTextFileWriter).
void WriteSettingsFile(const std::string& exeDir, const SelectionFlags& flags);

// The main window's creation: its ExeDir, then the file into LoadedSelection.
// A failure is shown in the error box and creation goes on.
void LoadSelectionAtCreate(UiServices& ui, MainWindowFields& fields);

// The main window's first activation: LoadedSelection into the check boxes.
void ApplyLoadedSelection(UiServices& ui, const MainWindowFields& fields);

// The other way, for the save: the check boxes as flags in settings order.
SelectionFlags FlagsOf(const Selection& checkBoxes);

}  // namespace quillivar
