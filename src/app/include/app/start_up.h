// Start-up: the main window first, the settings dialog second, then the
// event loop until the main window is closed. Nothing is saved at exit.
#pragma once

#include <functional>

#include "app/Unit1.h"

class QApplication;

namespace quillivar {

// `started` sees the main window once both windows exist, before the loop.
int RunProgram(QApplication& application, const TForm1::Options& options,
               const std::function<void(TForm1&)>& started = {});

}  // namespace quillivar
