// What the boxes show, worked out on bytes so that both front ends and the
// tests share it without a toolkit.
#pragma once

#include <string_view>

#include "text/text.h"

namespace quillivar {

// The error box's text: "." appended when the message's last character is a
// double-byte character or a byte above ".".
Text ErrorBoxText(const Text& message);

// The executable's file name without its folder, cut before its first ".",
// every character after the first in lower case.
Text ApplicationTitle(std::string_view executablePath);

}  // namespace quillivar
