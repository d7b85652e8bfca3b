// For the same pages and the same UserSetting.dat, the command writes the
// window's brand_code.csv byte for byte, and keeps the earlier one where the
// window does.
#include <QPushButton>
#include <QTest>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "support/shown_windows.h"
#include "quote/curl_internet.h"
#include "refresh/refresh_support.h"
#include "testkit/temp_dir.h"
#include "ui/qt_boxes.h"

namespace quillivar::testing {
namespace {

const char kPrevious[] = "previous\r\n";

// The window's run: OK to the confirmation; the final box, whichever it is,
// answered as closed.
void WindowRun(const std::string& host, const TempDir& dir) {
  CurlInternet internet;
  const auto windows = ShownWindows(internet, {host, 2000, dir.Dir()});
  ASSERT_NE(windows, nullptr);
  ReadyBoxAnswers boxes;
  boxes.Then(BoxAnswer::kOk);
  QTest::mouseClick(windows->form1.Button1, Qt::LeftButton);
}

struct Outcome {
  std::string windowFile;
  std::string commandFile;
  CommandResult command;
};

Outcome RunBoth(const LoopbackSite& site,
               const std::function<bool(int line)>& selected = [](int) { return true; }) {
  TempDir windowDir, commandDir;
  for (const TempDir* dir : {&windowDir, &commandDir}) {
    WriteUserSetting(dir->Dir(), selected);
    WriteBytes(dir->File("brand_code.csv"), kPrevious);
  }
  WindowRun(site.Host(), windowDir);
  Outcome outcome;
  outcome.command =
      RunCommand(QUILLIVAR_REFRESH, {"--dir", commandDir.Dir(), "--host", site.Host()});
  outcome.windowFile = ReadBytes(windowDir.File("brand_code.csv"));
  outcome.commandFile = ReadBytes(commandDir.File("brand_code.csv"));
  return outcome;
}

TEST(RefreshMatchesWindowTest, TheSampleSiteWithAMixedSelection) {
  const sample::SampleData data;
  const LoopbackSite site(SamplePages(data));
  // Some markets and some industries, so the filter drops rows both ways.
  const Outcome outcome = RunBoth(site, [](int line) { return line % 3 != 0; });
  EXPECT_EQ(outcome.command.status, 0) << outcome.command.output;
  EXPECT_GT(outcome.commandFile.size(), 10'000u);
  EXPECT_TRUE(outcome.commandFile == outcome.windowFile);
}

TEST(RefreshMatchesWindowTest, AFixturePageOnEveryPageOfEveryIndustry) {
  // The page's 20 issues in every industry: equal codes arrive 33 times and
  // must keep their order of arrival. In 水産・農林業 its link leads to a
  // page 2 that repeats it without linking on: the last page, not taken twice.
  std::ifstream in(QUILLIVAR_FIXTURE_PAGE, std::ios::binary);
  const std::string fixture{std::istreambuf_iterator<char>(in), {}};
  const LoopbackSite site(Pages([&fixture](const std::string&, int) { return fixture; }));
  const Outcome outcome = RunBoth(site);
  EXPECT_EQ(outcome.command.status, 0) << outcome.command.output;
  EXPECT_EQ(std::count(outcome.commandFile.begin(), outcome.commandFile.end(), '\n'),
            20 * 33);
  EXPECT_TRUE(outcome.commandFile == outcome.windowFile);
}

TEST(RefreshMatchesWindowTest, ErrorsExit1AndKeepTheEarlierFileAsTheWindowDoes) {
  struct Case {
    LoopbackSite::Script script;
    std::string message;
  };
  const std::vector<Case> cases = {
      {Pages([](const std::string& code, int) {
         return code != "0050" ? ListPage(code, {}, 1)
                               : ListPage(code, {{"12a4", "東証1部", "x"}, {"1301", "東証1部", "y"}}, 1);
       }),
       "「水産・農林業」の銘柄に銘柄コードではない '12a4' があります。銘柄リストは更新していません."},
      {Pages([](const std::string& code, int) {
         return code == "1050" ? std::string("\xEF\xBB\xBF" "ab\x80" "cd") : ListPage(code, {}, 1);
       }),
       "「鉱業」の 1 ページ目を取得できません（UTF-8 Unknown code.）。銘柄リストは更新していません."},
      // A site whose list is gone: not worth another try.
      {[](const SiteRequest&) { return Reply{.status = 404}; },
       "「水産・農林業」の 1 ページ目を取得できません（相場サイト HOST がエラー 404 "
       "を返しました）。銘柄リストは更新していません."},
  };
  for (const Case& errorCase : cases) {
    const LoopbackSite site(errorCase.script);
    const Outcome outcome = RunBoth(site);
    std::string message = errorCase.message;  // the site named as asked for
    if (const std::size_t at = message.find("HOST"); at != std::string::npos) {
      message.replace(at, 4, site.Host());
    }
    EXPECT_EQ(outcome.command.status, 1);
    const std::string& output = outcome.command.output;
    // Once, in the last line.
    EXPECT_EQ(output.find(message), output.rfind(message)) << output;
    EXPECT_TRUE(LastLine(output).ends_with("status 1: " + message)) << output;
    EXPECT_EQ(outcome.commandFile, kPrevious);
    EXPECT_EQ(outcome.windowFile, kPrevious);
  }
}

}  // namespace
}  // namespace quillivar::testing
