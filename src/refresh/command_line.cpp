#include "refresh/command_line.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "cli/program_options.h"
#include "quote/page_fetch.h"
#include "files/executable_directory.h"

namespace quillivar {
namespace {

// Enough for a name, an IPv4 or a bracketed IPv6 address and a port; a "/",
// "@" or "?" would change which URL is asked for.
bool IsHostAndPort(std::string_view host) {
  return !host.empty() && std::all_of(host.begin(), host.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '.' || c == '-' || c == '_' || c == ':' || c == '[' || c == ']';
  });
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  const auto quiet = [&line](const std::string&) {
    line.options.quiet = true;
    return std::string();
  };
  const std::vector<ProgramOption> own = {
      {"--host", true,
       [&line](const std::string& host) {
         if (!IsHostAndPort(host)) return "--host needs HOST or HOST:PORT, got '" + host + "'";
         line.options.host = host;
         return std::string();
       }},
      {"--accept-shrink", false,
       [&line](const std::string&) {
         line.options.acceptShrink = true;
         return std::string();
       }},
      {"--notify", false,
       [&line](const std::string&) {
         line.options.notify = true;
         return std::string();
       }},
      {"--quiet", false, quiet},
      {"-q", false, quiet},
  };
  const ProgramCommandLine shared = ParseProgramOptions(argc, argv, own);
  line.kind = shared.kind;
  line.error = shared.error;
  const std::string& dir = shared.dir;
  if (!dir.empty()) line.options.dir = dir.back() == '/' ? dir : dir + "/";
  return line;
}

std::string HelpText() {
  const std::string host = CompiledQuoteHost();
  const DefaultFolderWords folder = WordsFor(BuiltInDefaultFolder());
  return
      "使い方: quillivar-refresh [--dir フォルダ] [--host ホスト[:ポート]] [--accept-shrink]\n"
      "                          [--notify] [--quiet]\n"
      "\n"
      "UserSetting.dat で選んだ市場と業種の銘柄リストを相場サイトから取得し、\n"
      "brand_code.csv に書き出します（ウィンドウの「ダウンロード開始」と同じ処理）。\n"
      "確認はありません。Ctrl-C で中止します（元のファイルはそのまま）。\n"
      "同じフォルダでは一度に一つしか実行できません。\n"
      "\n"
      "  --dir フォルダ        UserSetting.dat を読み brand_code.csv を書くフォルダ\n"
      "                        （既定: " + std::string(folder.japanese) + "）\n"
      "  --host ホスト[:ポート] 相場サイトのホスト（既定: 組み込みの " + host + "）\n"
      "  --accept-shrink       新しいリストが今のリストより大幅に少ないとき（ある業種や\n"
      "                        市場の銘柄がすべて消えたときを含む）も、今回に限り置き換える\n"
      "                        （既定: 置き換えずに終了コード 1。サイトを確かめてから使うこと）\n"
      "  --notify              銘柄が増減したとき・最初のリストのとき・失敗したとき（終了コード\n"
      "                        1, 2）にデスクトップへ通知する（セッションバスの通知サービス）\n"
      "  -q, --quiet           終了コード 0 のときは標準エラーに何も書かない（cron 向け）\n"
      "  --version             バージョン\n"
      "  --help                この説明\n"
      "\n"
      "終了コード: 0 書き出した, 1 エラー（設定ファイルがない・壊れている、何も選ばれていない、\n"
      "            新しいリストが疑わしい を含む）, 2 ファイルが書き込めない・フォルダを調べられない,\n"
      "            64 引数の誤り・フォルダがない, 75 同じフォルダで実行中,\n"
      "            Ctrl-C, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2 では中止して\n"
      "            そのシグナルで終了します（130, 143, 129, 131, 138, 140）\n"
      "\n"
      "Usage: quillivar-refresh [--dir DIR] [--host HOST[:PORT]] [--accept-shrink]\n"
      "                         [--notify] [--quiet]\n"
      "\n"
      "Downloads the stock list of the markets and industries selected in\n"
      "UserSetting.dat from the quote site and writes brand_code.csv, exactly as\n"
      "the window's \"ダウンロード開始\" does, without asking. Ctrl-C aborts and\n"
      "leaves the earlier file as it was. One run at a time per folder.\n"
      "\n"
      "  --dir DIR             folder to read UserSetting.dat from and write\n"
      "                        brand_code.csv to\n"
      "                        (default: " + folder.english + ")\n"
      "  --host HOST[:PORT]    the quote site's host (default: the one built in,\n"
      "                        " + host + ")\n"
      "  --accept-shrink       replace the list this once even when the new one has\n"
      "                        far fewer rows, or none of an industry or market that\n"
      "                        had some (default: keep it and exit 1; look at the\n"
      "                        site first)\n"
      "  --notify              show a desktop notification when codes were added or\n"
      "                        removed, for a first list, and when the run failed\n"
      "                        (status 1 or 2), through the session bus\n"
      "  -q, --quiet           write nothing to standard error when the status is 0\n"
      "                        (for cron, which mails what a job writes)\n"
      "  --version             the version\n"
      "  --help                this text\n"
      "\n"
      "Exit status: 0 written, 1 error (no or damaged settings file, nothing\n"
      "             selected, or a suspect new list included), 2 brand_code.csv or\n"
      "             its folder cannot be written or checked, 64 usage error or no\n"
      "             such folder, 75 another run is using the folder; Ctrl-C,\n"
      "             SIGTERM, SIGHUP, SIGQUIT, SIGUSR1 and SIGUSR2 abort it and\n"
      "             end it by that signal (130, 143, 129, 131, 138, 140)\n";
}

const char* ProgramVersion() { return QUILLIVAR_VERSION; }

}  // namespace quillivar
