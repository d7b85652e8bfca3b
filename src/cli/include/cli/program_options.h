// The options both programs take: --dir DIR, --help (-h), --version, and
// "--", which ends the options (no operand follows it). A program adds its
// own as a table; an option with a value is written "--name VALUE" or
// "--name=VALUE", one without a value exactly as its name.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillivar {

struct ProgramOption {
  std::string_view name;  // "--host"
  bool takesValue = false;
  // Takes the option's value ("" for one without); returns the usage error's
  // text, empty when the value serves.
  std::function<std::string(const std::string& value)> take;
};

struct ProgramCommandLine {
  enum class Kind { Run, Help, Version, UsageError };
  Kind kind = Kind::Run;
  std::string dir;    // as given; empty when --dir is not
  std::string error;  // UTF-8, for a usage error
};

// The first --help or --version ends the reading; so does the first error.
ProgramCommandLine ParseProgramOptions(int argc, const char* const* argv,
                                       const std::vector<ProgramOption>& own = {});

}  // namespace quillivar
