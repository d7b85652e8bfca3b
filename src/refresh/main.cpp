// quillivar-refresh: the window's download run without a window, for
// terminals and scheduled runs.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "refresh/command_line.h"
#include "refresh/refresh.h"
#include "refresh/stop_signal.h"
#include "text/code_page.h"
#include "text/error.h"

namespace {

// A descriptor 0-2 left closed by the caller would be handed to the next file
// opened, and the log would be written into it. False when /dev/null cannot
// stand in.
bool OpenClosedStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number: this one, as those below are open.
    if (::open("/dev/null", O_RDWR) != fd) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!OpenClosedStandardDescriptors()) return quillivar::kExitError;
  quillivar::IgnoreBrokenPipeSignal();
  using quillivar::CommandLine;
  const CommandLine line = quillivar::ParseCommandLine(argc, argv);
  if (line.kind == CommandLine::Kind::Help) {
    std::fputs(quillivar::HelpText().c_str(), stdout);
    return quillivar::kExitWritten;
  }
  if (line.kind == CommandLine::Kind::Version) {
    std::printf("quillivar-refresh %s\n", quillivar::ProgramVersion());
    return quillivar::kExitWritten;
  }
  if (line.kind == CommandLine::Kind::UsageError) {
    std::fprintf(stderr, "quillivar-refresh: %s\n(quillivar-refresh --help)\n",
                 line.error.c_str());
    return quillivar::kExitUsage;
  }
  quillivar::InstallStopSignalHandlers();
  quillivar::TerminalOutput output(stderr);
  if (line.options.quiet) output.HoldBack();
  int status = quillivar::kExitError;
  try {
    status = quillivar::RunRefresh(line.options, quillivar::gStopSignal, output);
  } catch (...) {
    // What the run does not report itself: memory running out while it logs.
    output.Line("quillivar-refresh: " + quillivar::SjisToUtf8(quillivar::MessageOfCurrentException()));
  }
  // cron mails what a job writes: a quiet run that went well writes nothing.
  output.Release(status != quillivar::kExitWritten);
  const int signal = quillivar::gStopSignal;
  if (signal != 0 && status == 128 + signal) quillivar::EndBySignal(signal);
  return status;
}
