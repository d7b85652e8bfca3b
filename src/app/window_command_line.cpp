#include "app/window_command_line.h"

#include <string_view>

#include "text/code_page.h"
#include "files/text_file.h"

namespace quillivar {
namespace {

WindowCommandLine UsageError(std::string message) {
  return {WindowCommandLine::Kind::UsageError, {}, std::move(message)};
}

Text WithSlash(const std::string& folder) {
  return folder.ends_with('/') ? folder : folder + "/";
}

// The path as a box shows it: file names are bytes, the box Shift-JIS.
Text Shown(const std::string& path) { return LenientSjis(path); }

}  // namespace

WindowCommandLine ParseWindowCommandLine(int argc, const char* const* argv) {
  WindowCommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--help" || argument == "-h") return {WindowCommandLine::Kind::Help, {}, {}};
    if (argument == "--version") return {WindowCommandLine::Kind::Version, {}, {}};
    if (argument == "--dir" || argument.starts_with("--dir=")) {
      if (argument == "--dir") {
        if (++i >= argc) return UsageError("--dir needs a folder");
        line.dir = argv[i];
      } else {
        line.dir = argument.substr(6);
      }
      if (line.dir.empty()) return UsageError("--dir needs a folder");
    } else {
      return UsageError("unknown argument: " + std::string(argument));
    }
  }
  return line;
}

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
    const NamedFolder named = LookAtNamedFolder(dir);
    switch (named.state) {
      case NamedFolder::State::kFolder:
        return {WithSlash(dir), {}};
      case NamedFolder::State::kMissing:
        return {{}, Shown(dir) + Sjis(" というフォルダはありません")};
      case NamedFolder::State::kNotAFolder:
        return {{}, Shown(dir) + Sjis(" はフォルダではありません")};
      case NamedFolder::State::kCannotCheck:
        break;
    }
    return {{}, Shown(dir) + Sjis(" を調べられません（") + IoErrorMessage(named.error, dir) + Sjis("）")};
  }
  const Text folder = DefaultFolderPath(kind);
  if (kind == DefaultFolder::kProgram) return {folder, {}};
  if (folder.empty()) {
    return {{}, Sjis("データのフォルダが決まりません（HOME も XDG_DATA_HOME もありません）")};
  }
  if (const int code = MakeFolders(folder); code != 0) {
    return {{}, Shown(folder) + Sjis(" を作れません（") + IoErrorMessage(code, folder) + Sjis("）")};
  }
  return {folder, {}};
}

}  // namespace quillivar
