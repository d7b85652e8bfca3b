// quillivar-refresh: the window's download run without a window, for
// terminals and scheduled runs.
#include <cstdio>
#include <exception>

#include "refresh/command_line.h"
#include "refresh/refresh.h"
#include "refresh/stop_signal.h"

int main(int argc, char** argv) {
  using quillivar::CommandLine;
  const CommandLine line = quillivar::ParseCommandLine(argc, argv);
  if (line.kind == CommandLine::Kind::Help) {
    std::fputs(quillivar::HelpText(), stdout);
    return quillivar::kExitWritten;
  }
  if (line.kind == CommandLine::Kind::UsageError) {
    std::fprintf(stderr, "quillivar-refresh: %s\n(quillivar-refresh --help)\n",
                 line.error.c_str());
    return quillivar::kExitUsage;
  }
  quillivar::InstallStopSignalHandlers();
  quillivar::TerminalOutput output(stderr);
  try {
    return quillivar::RunRefresh(line.options, quillivar::gStopSignal, output);
  } catch (const std::exception& error) {
    // What the run does not report itself: a programming error, or memory
    // running out outside the run.
    output.Line(std::string("quillivar-refresh: ") + error.what());
    return quillivar::kExitError;
  }
}
