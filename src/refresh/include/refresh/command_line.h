// The command line of quillivar-refresh: --dir DIR, --host HOST[:PORT],
// --accept-shrink, --notify, --quiet (-q), --help and --version; "--" ends the options, and no
// operand follows.
#pragma once

#include <string>

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
  enum class Kind { Run, Help, Version, UsageError };
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
