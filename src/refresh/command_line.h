// The command line of quillivar-refresh: --dir DIR, --host HOST[:PORT],
// --help and --version; "--" ends the options, and no operand follows.
#pragma once

#include <string>

namespace quillivar {

struct RefreshOptions {
  std::string dir;   // empty: the executable's own folder; else ends with "/"
  std::string host;  // empty: the quote site compiled in
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
