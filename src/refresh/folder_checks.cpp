#include "refresh/folder_checks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace quillivar
