// quillivar-refresh: the window's download run without a window, for
// terminals and scheduled runs.
#include <cstdio>

#include "refresh/command_line.h"
#include "refresh/refresh.h"
#include "refresh/stop_signal.h"
#include "text/code_page.h"
#include "ui/ui_texts.h"

int main(int argc, char** argv) {
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
  try {
    return quillivar::RunRefresh(line.options, quillivar::gStopSignal, output);
  } catch (...) {
    // What the run does not report itself: a programming error, or memory
    // running out outside the run.
    output.Line("quillivar-refresh: " + quillivar::SjisToUtf8(quillivar::MessageOfCurrentException()));
    return quillivar::kExitError;
  }
}
