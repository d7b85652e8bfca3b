#include "app/window_command_line.h"

#include <optional>

#include "text/code_page.h"
#include "files/failure_text.h"

namespace quillivar {
namespace {

Text WithSlash(const std::string& folder) {
  return folder.ends_with('/') ? folder : folder + "/";
}

// The path as a box shows it: file names are bytes, the box Shift-JIS.
Text Shown(const std::string& path) { return LenientSjis(path); }

}  // namespace

std::string WindowHelpText(DefaultFolder kind) {
  const DefaultFolderWords folder = WordsFor(kind);
  return std::string(
             "使い方: quillivar [--dir フォルダ]\n"
             "\n"
             "相場サイトから銘柄リストをダウンロードし、brand_code.csv に保存するウィンドウを開きます。\n"
             "市場と業種の選択は UserSetting.dat に保存します。\n"
             "\n"
             "  --dir フォルダ  brand_code.csv と UserSetting.dat のフォルダ\n"
             "                  （既定: ") +
         folder.japanese +
         "）\n"
         "  --version       バージョン\n"
         "  --help          この説明\n"
         "\n"
         "Usage: quillivar [--dir DIR]\n"
         "\n"
         "Opens the window that downloads the stock list from the quote site into\n"
         "brand_code.csv; the selected markets and industries are kept in\n"
         "UserSetting.dat.\n"
         "\n"
         "  --dir DIR   folder of brand_code.csv and UserSetting.dat\n"
         "              (default: " +
         folder.english +
         ")\n"
         "  --version   the version\n"
         "  --help      this text\n";
}

WindowFolder ChooseWindowFolder(const std::string& dir, DefaultFolder kind) {
  if (!dir.empty()) {
    const std::optional<FailureText> problem = NamedFolderProblem(dir, LookAtNamedFolder(dir));
    if (problem) return {{}, problem->japanese};
    return {WithSlash(dir), {}};
  }
  const Text folder = DefaultFolderPath(kind);
  if (kind == DefaultFolder::kProgram) return {folder, {}};
  if (folder.empty()) {
    return {{}, NoDataFolder().japanese};
  }
  if (const int code = MakeFolders(folder); code != 0) {
    return {{}, Shown(folder) + Sjis(" を作れません（") + IoErrorMessage(code, folder) + Sjis("）")};
  }
  return {folder, {}};
}

}  // namespace quillivar
