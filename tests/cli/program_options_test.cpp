// The options both programs take, and one a program adds.
#include "cli/program_options.h"

#include <vector>

#include <gtest/gtest.h>

namespace quillivar {
namespace {

using Kind = ProgramCommandLine::Kind;

TEST(ProgramOptionsTest, SharedOptionsEndingDashesAndAProgramsOwn) {
  struct Case {
    std::vector<const char*> argv;
    Kind kind;
    std::string dirOrError;
    std::string host = "";  // the program's own option, as taken
  };
  const std::vector<Case> cases = {
      {{"quillivar"}, Kind::Run, ""},
      {{"quillivar", "--dir", "/srv/q"}, Kind::Run, "/srv/q"},
      {{"quillivar", "--dir=/srv/q"}, Kind::Run, "/srv/q"},
      {{"quillivar", "--dir", "/srv/q", "--"}, Kind::Run, "/srv/q"},
      {{"quillivar", "--", "--help"}, Kind::UsageError, "unknown argument: --help"},
      {{"quillivar", "--", "extra"}, Kind::UsageError, "unknown argument: extra"},
      {{"quillivar", "--dir", "/a", "--help"}, Kind::Help, ""},
      {{"quillivar", "-h"}, Kind::Help, ""},
      {{"quillivar", "--version"}, Kind::Version, ""},
      {{"quillivar", "--dir"}, Kind::UsageError, "--dir needs a folder"},
      {{"quillivar", "--dir="}, Kind::UsageError, "--dir needs a folder"},
      {{"quillivar", "--dirt"}, Kind::UsageError, "unknown argument: --dirt"},
      // Qt's own options are not offered.
      {{"quillivar", "-platform", "xcb"}, Kind::UsageError, "unknown argument: -platform"},
      {{"quillivar", "--host", "h:1", "--dir", "/d"}, Kind::Run, "/d", "h:1"},
      {{"quillivar", "--host=h"}, Kind::Run, "", "h"},
      {{"quillivar", "--host"}, Kind::UsageError, "no host"},
      {{"quillivar", "--flag"}, Kind::Run, "", "flag"},
      {{"quillivar", "--flag=1"}, Kind::UsageError, "unknown argument: --flag=1"},
  };
  for (const Case& c : cases) {
    std::string host;
    const std::vector<ProgramOption> own = {
        {"--host", true, [&host](const std::string& value) {
           host = value;
           return value.empty() ? std::string("no host") : std::string();
         }},
        {"--flag", false, [&host](const std::string&) {
           host = "flag";
           return std::string();
         }}};
    const ProgramCommandLine line =
        ParseProgramOptions(static_cast<int>(c.argv.size()), c.argv.data(), own);
    EXPECT_EQ(line.kind, c.kind) << c.argv.back();
    EXPECT_EQ(line.kind == Kind::UsageError ? line.error : line.dir, c.dirOrError) << c.argv.back();
    if (line.kind == Kind::Run) {
      EXPECT_EQ(host, c.host) << c.argv.back();
    }
  }
}

}  // namespace
}  // namespace quillivar
