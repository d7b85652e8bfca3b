// The window's command line: the options both programs take (see
// ParseProgramOptions), and nothing else. Qt's own options are not offered:
// the toolkit sees only the program's name.
#pragma once

#include <string>

#include "text/text.h"
#include "files/executable_directory.h"

namespace quillivar {

// In Japanese, then in English; `kind` is the build's default folder.
std::string WindowHelpText(DefaultFolder kind);

// Where the window keeps its two files. `folder` ends with "/" (empty: the
// program's own); `error` (Shift-JIS) says why there is none.
struct WindowFolder {
  Text folder;
  Text error;
};

// An explicit --dir must be a folder already; the user's data folder is made
// here, with its parents, so that the first save of either file finds it.
WindowFolder ChooseWindowFolder(const std::string& dir, DefaultFolder kind);

}  // namespace quillivar
