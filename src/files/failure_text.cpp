#include "files/failure_text.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "text/code_page.h"

namespace quillivar {
namespace {

std::string ParentDirectory(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// File names are bytes, the boxes Shift-JIS.
Text Shown(const std::string& path) { return LenientSjis(path); }

}  // namespace

std::string FailureText::Line() const {
  const std::string japaneseLine = SjisToUtf8(japanese);
  return english.empty() ? japaneseLine : japaneseLine + " / " + english;
}

FailureText FileFailure(int code, const std::string& path) {
  const std::string system = std::strerror(code);
  switch (code) {
    case ENOENT:
      // Without its folder the name itself is wrong.
      if (IsDirectory(ParentDirectory(path))) return {Sjis("ファイルが見つかりません"), system};
      [[fallthrough]];
    case ENOTDIR:
    case ENAMETOOLONG:
      return {Sjis("ファイル名の指定が間違っています"), system};
    case EMFILE:
    case ENFILE:
      return {Sjis("オープンしたファイルが多すぎます"), system};
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return {Sjis("ファイルへのアクセスが拒否されました"), system};
    case ENOSPC:
    case EDQUOT:
      return {Sjis("ディスクの空きが足りません（") + Shown(path) + Sjis("）"), system};
    case ENODEV:
      return {Shown(path) + Sjis(" は通常のファイルではありません"), "not a regular file"};
    case EMLINK:
      return {Shown(path) + Sjis(" には別の名前（ハードリンク）があるため書き換えられません"),
              "it has other names (hard links) and would be written in place"};
    case EWOULDBLOCK:
      return {Shown(path) + Sjis(" は別のプログラムが使用中です"), "another program is using it"};
    case ECANCELED:
      return {Error::Aborted().Message(), "aborted"};
    default:
      return {Sjis("I/O エラー (") + IntToText(code) + ")", system};
  }
}

Text IoErrorMessage(int code, const std::string& path) { return FileFailure(code, path).japanese; }

FailureText FailedOn(const FailureText& what, int code, const std::string& path) {
  const FailureText cause = FileFailure(code, path);
  return {what.japanese + Sjis("（") + cause.japanese + Sjis("）"),
          what.english + ": " + cause.english};
}

void ThrowIoError(int code, const std::string& path) {
  if (code == ECANCELED) throw Error::Aborted();
  throw Error(IoErrorMessage(code, path), Error::Kind::kFile, code);
}

Text UnsyncedSaveMessage() {
  return Sjis("保存しましたが、ディスクに書き込まれていない可能性があります");
}

std::optional<FailureText> NamedFolderProblem(const std::string& dir, const NamedFolder& named) {
  switch (named.state) {
    case NamedFolder::State::kFolder:
      return std::nullopt;
    case NamedFolder::State::kMissing:
      return FailureText{Shown(dir) + Sjis(" というフォルダはありません"), "no such folder: " + dir};
    case NamedFolder::State::kNotAFolder:
      return FailureText{Shown(dir) + Sjis(" はフォルダではありません"), "not a folder: " + dir};
    case NamedFolder::State::kCannotCheck:
      break;
  }
  return FailedOn({Shown(dir) + Sjis(" を調べられません"), "cannot check " + dir}, named.error, dir);
}

FailureText NoDataFolder() {
  return {Sjis("データのフォルダが決まりません（HOME も XDG_DATA_HOME もありません）"),
          "no data folder: neither HOME nor XDG_DATA_HOME is set"};
}

std::optional<FailureText> DataFolderUnready(const std::string& dir) {
  if (dir.empty()) return NoDataFolder();
  struct stat info {};
  if (::stat(dir.c_str(), &info) == 0 || errno != ENOENT) return std::nullopt;
  return FailureText{Shown(dir) + Sjis(" がありません。先にウィンドウ（quillivar）の設定で「設定保存」してください"),
              dir + " does not exist: save the settings in the window (quillivar) first"};
}

}  // namespace quillivar
