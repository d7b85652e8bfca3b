// Where the running program lies. Toolkit-free, so every front end finds its
// folder the same way.
#pragma once

#include "text/text.h"

namespace quillivar {

// The native path of the running executable's folder, ending with "/";
// empty when the system cannot tell.
Text RunningExecutableDirectory();

// The folder of the program's files: `chosen` where one is given (a test's
// folder, the command's --dir), otherwise the running executable's.
Text ProgramFolder(const Text& chosen);

}  // namespace quillivar
