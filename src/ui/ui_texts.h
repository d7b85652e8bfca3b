// Toolkit-free rules of the user interface.
#pragma once

#include <string_view>

#include "text/text.h"

namespace quillivar {

// The error box's text: "." appended when the message's last character is a
// double-byte character or a byte above ".".
Text ErrorBoxText(const Text& message);

// What the error box shows for the exception being handled; call it inside a
// catch block. An Error's own message; "メモリが不足しています" when memory ran
// out; otherwise "内部エラー" and what the exception says.
Text MessageOfCurrentException();

// The executable's file name without its folder, cut before its first ".",
// every character after the first in lower case.
Text ApplicationTitle(std::string_view executablePath);

// The path up to and including its last "/" that is not a second byte.
Text DirectoryOfPath(std::string_view executablePath);

}  // namespace quillivar
