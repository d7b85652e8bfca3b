// One download run of the window's, for a terminal or a scheduler.
#pragma once

#include <csignal>

#include "refresh/command_line.h"
#include "refresh/terminal_output.h"

namespace quillivar {

enum ExitStatus {
  kExitWritten = 0,
  kExitError = 1,
  kExitCannotWrite = 2,
  kExitUsage = 64,  // as sysexits' EX_USAGE
  kExitBusy = 75,   // as sysexits' EX_TEMPFAIL: another run holds the folder
};

// Checks the folder and the settings, runs, logs the run's first and last
// lines, and tells the exit status: one of the above, or 128 + the signal
// number after a stop signal aborted the run.
int RunRefresh(const RefreshOptions& options, const volatile std::sig_atomic_t& stopSignal,
               TerminalOutput& output);

}  // namespace quillivar
