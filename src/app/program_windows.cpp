#include "app/program_windows.h"

#include "files/executable_directory.h"

namespace quillivar {

ProgramWindows::ProgramWindows(Internet& internet, TForm1::Options options)
    : form1(internet, options), form2(ProgramFolder(options.exeDir)) {
  form1.AttachSettingsDialog(&form2);
}

void ProgramWindows::Show() {
  form1.show();
  form1.activateWindow();
}

}  // namespace quillivar
