#include "cli/program_options.h"

namespace quillivar {
namespace {

ProgramCommandLine UsageError(std::string message) {
  return {ProgramCommandLine::Kind::UsageError, {}, std::move(message)};
}

// "--name" or "--name=VALUE" for an option with a value.
bool Names(const ProgramOption& option, std::string_view argument) {
  if (argument == option.name) return true;
  return option.takesValue && argument.size() > option.name.size() &&
         argument.starts_with(option.name) && argument[option.name.size()] == '=';
}

// The value at argv[i], moving i past it. One missing at the end reads as
// an empty one, as "--dir=" does.
std::string ValueOf(const ProgramOption& option, int argc, const char* const* argv, int& i) {
  const std::string_view argument = argv[i];
  if (argument != option.name) return std::string(argument.substr(option.name.size() + 1));
  if (i + 1 >= argc) return {};
  return argv[++i];
}

}  // namespace

ProgramCommandLine ParseProgramOptions(int argc, const char* const* argv,
                                       const std::vector<ProgramOption>& own) {
  ProgramCommandLine line;
  std::vector<ProgramOption> options = own;
  options.push_back({"--dir", true, [&line](const std::string& dir) {
                       line.dir = dir;
                       return dir.empty() ? std::string("--dir needs a folder") : std::string();
                     }});
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") return {ProgramCommandLine::Kind::Help, {}, {}};
    if (argument == "--version") return {ProgramCommandLine::Kind::Version, {}, {}};
    if (argument == "--") {
      if (i + 1 < argc) return UsageError("unknown argument: " + std::string(argv[i + 1]));
      break;
    }
    const ProgramOption* option = nullptr;
    for (const ProgramOption& candidate : options) {
      if (Names(candidate, argument)) option = &candidate;
    }
    if (option == nullptr) return UsageError("unknown argument: " + std::string(argument));
    const std::string value = option->takesValue ? ValueOf(*option, argc, argv, i) : std::string();
    if (std::string error = option->take(value); !error.empty()) return UsageError(std::move(error));
  }
  return line;
}

}  // namespace quillivar
