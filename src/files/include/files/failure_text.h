// The one home of the texts that tell a failed file or folder operation: the
// window's boxes show the Japanese, the command's log both languages.
#pragma once

#include <optional>
#include <string>

#include "files/executable_directory.h"
#include "text/error.h"
#include "text/text.h"

namespace quillivar {

// A failure in both languages.
struct FailureText {
  Text japanese;        // Shift-JIS
  std::string english;  // UTF-8; empty where only the Japanese is told
  // "JAPANESE / ENGLISH" in UTF-8, as the command's log writes it.
  std::string Line() const;
};

// The cause of errno `code` on `path`, Japanese beside English:
// "ファイルが見つかりません", "ファイル名の指定が間違っています",
// "オープンしたファイルが多すぎます", "ファイルへのアクセスが拒否されました",
// "ディスクの空きが足りません（path）" (a full disk or quota), for the save's own
// refusals "path は通常のファイルではありません" (ENODEV), "path には別の名前
// （ハードリンク）があるため書き換えられません" (EMLINK), "path は別のプログラムが
// 使用中です" (EWOULDBLOCK: a wait given up), "中止しました" (ECANCELED), or
// "I/O エラー (n)". The English is the system's words, except where the save
// gives an errno a meaning of its own.
FailureText FileFailure(int code, const std::string& path);

// The Japanese alone, for the boxes and the errors raised.
Text IoErrorMessage(int code, const std::string& path);

// An operation that failed on `path` for `code`: "WHAT（cause） / WHAT_EN: cause".
FailureText FailedOn(const FailureText& what, int code, const std::string& path);

// The Error of a failed file operation (kind kFile), or Error::Aborted() for
// ECANCELED, the errno of the waits that an abort ended.
[[noreturn]] void ThrowIoError(int code, const std::string& path);

// The message when a file was replaced but the change may not have reached the
// disk, as its folder could not be synced: "保存しましたが、ディスクに書き込まれて
// いない可能性があります".
Text UnsyncedSaveMessage();

// Why a folder named on the command line cannot be used; nothing for a folder.
std::optional<FailureText> NamedFolderProblem(const std::string& dir, const NamedFolder& named);

// The user's data folder cannot be found: there is no home to put it in.
FailureText NoDataFolder();

// The window makes the user's data folder `dir` (empty: NoDataFolder); before
// that there are no settings to run with, which is no wrong command line.
std::optional<FailureText> DataFolderUnready(const std::string& dir);

}  // namespace quillivar
