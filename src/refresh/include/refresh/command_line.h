// The command line of quillivar-refresh: the options both programs take,
// and --host HOST[:PORT], --accept-shrink, --notify and --quiet (-q).
#pragma once

#include <string>

#include "cli/program_options.h"

namespace quillivar {

struct RefreshOptions {
  std::string dir;   // empty: the default folder; else ends with "/"
  std::string host;  // empty: the quote site compiled in
  // A new list that looks unlike the site's replaces the earlier one all the
  // same, this once.
  bool acceptShrink = false;
  // A desktop notification when codes came or went, or the run failed.
  bool notify = false;
  // Nothing on standard error unless the run fails, as cron mails what it sees.
  bool quiet = false;
};

struct CommandLine {
  using Kind = ProgramCommandLine::Kind;
  Kind kind = Kind::Run;
  RefreshOptions options;
  std::string error;  // UTF-8, for a usage error
};

CommandLine ParseCommandLine(int argc, const char* const* argv);

// In Japanese, then in English; it names the quote site compiled in.
std::string HelpText();

// The project's version, as the build was configured.
const char* ProgramVersion();

}  // namespace quillivar
