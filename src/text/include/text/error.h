// The one error of the program: what failed (its kind and, for a file, the
// errno) and the message for the user, in Shift-JIS. Decisions look at the
// kind; whoever ends the work it cut short shows the message as it stands
// (the window in its error box, the command on its output).
#pragma once

#include <exception>

#include "text/text.h"

namespace quillivar {

class Error : public std::exception {
 public:
  enum class Kind {
    kFailure,   // anything else; the message says it all
    kFile,      // a file operation failed; Code() is its errno
    kUnsynced,  // a file was replaced, but its folder could not be synced
    kAborted,   // 中止, Ctrl-C or a stop signal ended the work
  };

  explicit Error(Text message, Kind kind = Kind::kFailure, int code = 0)
      : message_(std::move(message)), kind_(kind), code_(code) {}
  // "中止しました"; its code is ECANCELED, as the waits that end on it say.
  static Error Aborted();

  const Text& Message() const noexcept { return message_; }
  Kind GetKind() const noexcept { return kind_; }
  bool IsAborted() const noexcept { return kind_ == Kind::kAborted; }
  int Code() const noexcept { return code_; }  // the errno; 0 where none
  // Shift-JIS bytes; meant for the error box, not for a UTF-8 terminal.
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  Text message_;
  Kind kind_;
  int code_;
};

// What the error box shows for the exception being handled; call it inside a
// catch block. An Error's own message; "メモリが不足しています" when memory ran
// out; otherwise "内部エラー" and what the exception says.
Text MessageOfCurrentException();

}  // namespace quillivar
