// The system's general error: carries a Shift-JIS message text. Every failure
// that the program does not expect is raised as one and ends the handler that
// was running, which shows it in the error box.
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

}  // namespace quillivar
