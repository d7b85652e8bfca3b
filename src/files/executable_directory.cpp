#include "files/executable_directory.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "text/code_page.h"

namespace quillivar {

Text DirectoryOfPath(std::string_view executablePath) {
  const std::size_t slash = LastDelimiter(executablePath, '/');
  if (slash == std::string_view::npos) return {};
  return Text(executablePath.substr(0, slash + 1));
}

Text RunningExecutableDirectory() {
  std::string path(4096, '\0');
  while (true) {
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) < path.size()) {
      path.resize(static_cast<std::size_t>(length));
      return DirectoryOfPath(path);
    }
    path.resize(path.size() * 2);
  }
}

Text ProgramFolder(const Text& chosen) {
  return chosen.empty() ? RunningExecutableDirectory() : chosen;
}

DefaultFolder BuiltInDefaultFolder() {
#ifdef QUILLIVAR_USER_DATA_FOLDER
  return DefaultFolder::kUserData;
#else
  return DefaultFolder::kProgram;
#endif
}

Text UserDataFolder() {
  // The XDG rules ignore a relative XDG_DATA_HOME.
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return Text(data) + "/quillivar/";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return Text(home) + "/.local/share/quillivar/";
  return {};
}

Text DefaultFolderPath(DefaultFolder kind) {
  return kind == DefaultFolder::kUserData ? UserDataFolder() : Text();
}

DefaultFolderWords WordsFor(DefaultFolder kind) {
  if (kind == DefaultFolder::kUserData) {
    return {"~/.local/share/quillivar（XDG_DATA_HOME があればその下の quillivar）",
            "$XDG_DATA_HOME/quillivar, or ~/.local/share/quillivar"};
  }
  return {"このプログラムのあるフォルダ", "this program's folder"};
}

NamedFolder LookAtNamedFolder(const Text& folder) {
  using State = NamedFolder::State;
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    // ENOTDIR: a file on the way, so there is no such folder either.
    if (errno == ENOENT || errno == ENOTDIR) return {State::kMissing};
    return {State::kCannotCheck, errno};
  }
  return {S_ISDIR(info.st_mode) ? State::kFolder : State::kNotAFolder};
}

int MakeFolders(const Text& folder) {
  // Each "/" ends a parent; the last round makes the folder itself.
  std::size_t end = 0;
  while (end != Text::npos) {
    end = folder.find('/', end + 1);
    if (::mkdir(folder.substr(0, end).c_str(), 0700) != 0 && errno != EEXIST) return errno;
  }
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) return errno;
  return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

}  // namespace quillivar
