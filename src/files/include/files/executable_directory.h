// Where the running program lies, and where its two files live. Toolkit-free,
// so every front end finds its folder the same way.
#pragma once

#include <string_view>

#include "text/text.h"

namespace quillivar {

// The path up to and including its last "/" that is not a second byte.
Text DirectoryOfPath(std::string_view executablePath);

// The native path of the running executable's folder, ending with "/";
// empty when the system cannot tell.
Text RunningExecutableDirectory();

// The folder of the program's files: `chosen` where one is given (a test's
// folder, the command's --dir), otherwise the running executable's.
Text ProgramFolder(const Text& chosen);

// Where the two files live when no folder is named: beside the program (a
// folder of one's own) or in the user's data folder (a program installed for
// everybody, whose own folder nobody may write).
enum class DefaultFolder { kProgram, kUserData };

// The default this build was configured with (QUILLIVAR_DEFAULT_FOLDER).
DefaultFolder BuiltInDefaultFolder();

// ${XDG_DATA_HOME:-$HOME/.local/share}/quillivar/, ending with "/"; empty
// when there is no home folder to put it in.
Text UserDataFolder();

// The folder of the two files when none is named: the user's data folder,
// or empty for the running executable's (as ProgramFolder reads it).
Text DefaultFolderPath(DefaultFolder kind);

// How --help names the default folder (UTF-8).
struct DefaultFolderWords {
  const char* japanese;
  const char* english;
};
DefaultFolderWords WordsFor(DefaultFolder kind);

// What a folder named by the user (--dir) turned out to be. `error` is the
// errno of looking, for kCannotCheck.
struct NamedFolder {
  enum class State { kFolder, kMissing, kNotAFolder, kCannotCheck };
  State state;
  int error = 0;
};
NamedFolder LookAtNamedFolder(const Text& folder);

// Makes `folder` and its missing parents, private to the user as the XDG
// rules ask; 0 when it exists afterwards, else the errno.
int MakeFolders(const Text& folder);

}  // namespace quillivar
