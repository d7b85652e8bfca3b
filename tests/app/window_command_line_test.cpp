// The window's command line and where it keeps its files.
#include "app/window_command_line.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "testkit/temp_dir.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

using testing::TempDir;
using testing::WriteBytes;

TEST(WindowCommandLineTest, ANamedFolderMustExistAndTheDataFolderIsMadeWithItsParents) {
  TempDir dir;
  const std::string file = dir.File("file");
  WriteBytes(file, "x");
  const std::string home = dir.Dir() + "home", data = dir.Dir() + "new/data";
  struct Case {
    std::string named;
    DefaultFolder kind;
    const char* xdgDataHome;
    std::string folder;  // expected; empty when `error` is
    std::string error;   // UTF-8, the end of the box's text
  };
  const std::vector<Case> cases = {
      {dir.Dir() + "file/..", DefaultFolder::kUserData, nullptr, "", " というフォルダはありません"},
      {dir.File("missing"), DefaultFolder::kUserData, nullptr, "", " というフォルダはありません"},
      {file, DefaultFolder::kUserData, nullptr, "", " はフォルダではありません"},
      {dir.Dir() + "home", DefaultFolder::kUserData, data.c_str(), home + "/", ""},
      {"", DefaultFolder::kProgram, data.c_str(), "", ""},
      {"", DefaultFolder::kUserData, data.c_str(), data + "/quillivar/", ""},
      // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
      {"", DefaultFolder::kUserData, "relative", home + "/.local/share/quillivar/", ""},
      {"", DefaultFolder::kUserData, file.c_str(), "", "を作れません"},
  };
  std::filesystem::create_directory(home);
  const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  ::setenv("HOME", home.c_str(), 1);
  for (const Case& c : cases) {
    c.xdgDataHome ? ::setenv("XDG_DATA_HOME", c.xdgDataHome, 1) : ::unsetenv("XDG_DATA_HOME");
    const WindowFolder chosen = ChooseWindowFolder(c.named, c.kind);
    EXPECT_EQ(chosen.folder, c.folder) << c.named << " " << SjisToUtf8(chosen.error);
    EXPECT_TRUE(SjisToUtf8(chosen.error).find(c.error) != std::string::npos) << SjisToUtf8(chosen.error);
    EXPECT_EQ(chosen.error.empty(), c.error.empty()) << SjisToUtf8(chosen.error);
    struct stat info {};
    if (c.kind == DefaultFolder::kUserData && c.named.empty() && !c.folder.empty()) {
      ASSERT_EQ(::stat(c.folder.c_str(), &info), 0) << c.folder;
      EXPECT_EQ(info.st_mode & 07777, 0700u) << c.folder;
    }
  }
  ::unsetenv("XDG_DATA_HOME");
  ::setenv("HOME", oldHome.c_str(), 1);
}

}  // namespace
}  // namespace quillivar
