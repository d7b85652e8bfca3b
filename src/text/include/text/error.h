// The error that carries its message for the user, in Shift-JIS: whoever
// ends the work it cut short shows that message as it stands (the window in
// its error box, the command on its output).
#pragma once

#include <exception>

#include "text/text.h"

namespace quillivar {

class Error : public std::exception {
 public:
  explicit Error(Text message) : message_(std::move(message)) {}
  const Text& Message() const noexcept { return message_; }
  // Shift-JIS bytes; meant for the error box, not for a UTF-8 terminal.
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  Text message_;
};

// What the error box shows for the exception being handled; call it inside a
// catch block. An Error's own message; "メモリが不足しています" when memory ran
// out; otherwise "内部エラー" and what the exception says.
Text MessageOfCurrentException();

}  // namespace quillivar
