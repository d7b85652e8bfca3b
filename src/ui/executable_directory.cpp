#include "ui/executable_directory.h"

#include <unistd.h>

#include <string>

#include "ui/ui_texts.h"

namespace quillivar {

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

}  // namespace quillivar
