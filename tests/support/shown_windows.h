// The program's windows as a user first sees them: built, shown, and the main
// window active, so its first activation has applied the saved selection.
#pragma once

#include <QTest>
#include <memory>

#include "app/program_windows.h"

namespace quillivar::testing {

// Null when the main window never became active.
inline std::unique_ptr<ProgramWindows> ShownWindows(Internet& internet, TForm1::Options options) {
  auto windows = std::make_unique<ProgramWindows>(internet, std::move(options));
  windows->Show();
  if (!QTest::qWaitForWindowActive(&windows->form1)) return nullptr;
  return windows;
}

}  // namespace quillivar::testing
