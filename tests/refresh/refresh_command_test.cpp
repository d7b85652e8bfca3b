// The command as a scheduler runs it: its folder, its exit statuses, and
// stop signals during a page that does not come.
#include <sys/stat.h>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include "refresh/refresh_support.h"
#include "support/temp_dir.h"

namespace quillivar::testing {
namespace {

const std::string kProgram = QUILLIVAR_REFRESH;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::string OneRowPage(const std::string& code, int) {
  return ListPage(code, {{"1301", "東証1部", "見本水産"}}, 1);
}

TEST(RefreshCommandTest, AWrongCommandLineExits64AndHelpIsInBothLanguages) {
  const std::vector<std::vector<std::string>> wrong = {
      {"--bogus"}, {"extra"}, {"--dir"}, {"--dir", "/nonexistent-folder"},
      {"--host", "example.jp/path"}, {"--host="}};
  for (const auto& arguments : wrong) {
    const CommandResult result = RunCommand(kProgram, arguments);
    EXPECT_EQ(result.status, 64) << arguments[0];
    EXPECT_TRUE(Contains(result.output, "--help")) << result.output;
  }
  const CommandResult help = RunCommand(kProgram, {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Contains(help.output, "使い方: quillivar-refresh")) << help.output;
  EXPECT_TRUE(Contains(help.output, "Usage: quillivar-refresh")) << help.output;
}

TEST(RefreshCommandTest, RunsInItsOwnFolderAndLogsOneLinePerSelectedIndustry) {
  const sample::SampleData data;
  LoopbackSite site(SamplePages(data));
  TempDir dir;
  const std::string program = dir.File("quillivar-refresh");
  std::filesystem::copy_file(kProgram, program);
  // Every market; 水産・農林業, 銀行業 and 鉱業.
  WriteBytes(dir.File("UserSetting.dat"),
             SettingsFile([](int line) { return line <= 10 || (line >= 11 && line <= 13); }));
  const CommandResult result = RunCommand(program, {"--host", site.Host()});
  EXPECT_EQ(result.status, 0) << result.output;
  const std::string file = ReadBytes(dir.File("brand_code.csv"));
  EXPECT_FALSE(file.empty());
  EXPECT_TRUE(file.ends_with("\r\n"));
  // Standard error is a pipe here: plain lines, in catalogue order.
  EXPECT_TRUE(result.output.starts_with("[1/3] 水産・農林業: ")) << result.output;
  EXPECT_TRUE(Contains(result.output, "\n[2/3] 鉱業: ")) << result.output;
  EXPECT_TRUE(Contains(result.output, "\n[3/3] 銀行業: ")) << result.output;
  EXPECT_FALSE(Contains(result.output, "\r"));
  EXPECT_TRUE(result.output.ends_with("銘柄リストのダウンロードが終了しました。\n"));
}

TEST(RefreshCommandTest, AListThatCannotBeWrittenExits2AndKeepsTheEarlierFile) {
  LoopbackSite site(Pages(OneRowPage));
  TempDir dir;
  WriteBytes(dir.File("UserSetting.dat"), SettingsFile([](int) { return true; }));
  WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
  ::chmod(dir.File("brand_code.csv").c_str(), 0444);  // read-only for root too
  const CommandResult result = RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()});
  EXPECT_EQ(result.status, 2);
  EXPECT_TRUE(result.output.ends_with("ファイルが書き込めません\n")) << result.output;
  EXPECT_EQ(ReadBytes(dir.File("brand_code.csv")), "previous\r\n");
}

TEST(RefreshCommandTest, ASettingsFileThatCannotBeReadExits1BeforeAnyRequest) {
  // Unlike the window, which goes on with the lines read so far, the command
  // stops: nobody would see the selection it would write the list with.
  LoopbackSite site(Pages(OneRowPage));
  TempDir dir;
  // A regular file whose every read fails, for root too.
  std::filesystem::create_symlink("/proc/self/mem", dir.File("UserSetting.dat"));
  WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
  const CommandResult result = RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.output, "quillivar-refresh: I/O エラー (5)\n");
  EXPECT_EQ(site.RequestCount(), 0u);
  EXPECT_EQ(ReadBytes(dir.File("brand_code.csv")), "previous\r\n");
}

TEST(RefreshCommandTest, StopSignalsDuringAPageThatDoesNotComeAbortAtOnce) {
  for (const auto& [signal, status] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
    LoopbackSite site(Pages(OneRowPage, "0050"));
    TempDir dir;
    WriteBytes(dir.File("UserSetting.dat"), SettingsFile([](int) { return true; }));
    WriteBytes(dir.File("brand_code.csv"), "previous\r\n");
    const CommandResult result =
        RunCommand(kProgram, {"--dir", dir.Dir(), "--host", site.Host()}, signal,
                   [&site] { return site.RequestCount() > 0; });
    EXPECT_EQ(result.status, status) << result.output;
    EXPECT_LT(result.secondsAfterSignal, 2.0);
    EXPECT_TRUE(result.output.ends_with("ダウンロード中止\n")) << result.output;
    EXPECT_EQ(ReadBytes(dir.File("brand_code.csv")), "previous\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()),
                            std::filesystem::directory_iterator()),
              2);  // no temporary file left behind
  }
}

}  // namespace
}  // namespace quillivar::testing
