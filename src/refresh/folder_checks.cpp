#include "refresh/folder_checks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "text/text_file.h"

namespace quillivar {

FolderLock::FolderLock(const std::string& dir) {
  fd_ = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd_ < 0) {
    error_ = errno;
  } else if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
    error_ = errno;
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::HeldByAnotherRun() const { return error_ == EWOULDBLOCK; }

int ReplaceProbeError(const std::string& path) {
  try {
    // The writer's own checks: its temporary file is made and, unused,
    // removed again as the writer goes.
    ReplacingTextFileWriter probe(path);
    return 0;
  } catch (const IoError& error) {
    return error.Code();
  }
}

}  // namespace quillivar
