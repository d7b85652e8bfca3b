// The program's two windows, built and wired as at start-up: the main window
// first, the settings dialog second and attached to it, so no caller can
// forget the attachment.
#pragma once

#include "app/Unit1.h"
#include "settings/settings_dialog.h"
#include "ui/qt_controls.h"

namespace quillivar {

class ProgramWindows {
 public:
  ProgramWindows(Internet& internet, TForm1::Options options);

  // Shows the main window and asks for it to be activated; its first
  // activation applies the saved selection.
  void Show();

  KeyRepeatsIgnored keyRepeats;  // made first: it guards the windows' boxes too
  TForm1 form1;
  TForm2 form2;
};

}  // namespace quillivar
