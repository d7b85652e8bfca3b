// The command line of quillivar-refresh: the options both programs take,
// and --host HOST[:PORT] and --accept-shrink.
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
