#include "refresh/folder_checks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quillivar {
namespace {

// The lock file's owner is the user or the folder's owner, and it is open to
// nobody else.
bool IsPrivateLockFile(const struct stat& file, const struct stat& folder) {
  return S_ISREG(file.st_mode) && (file.st_mode & 077) == 0 &&
         (file.st_uid == ::geteuid() || file.st_uid == folder.st_uid);
}

}  // namespace

FolderLock::FolderLock(const std::string& dir) {
  const std::string path = dir + kFolderLockFileName;
  // Read-only is enough for flock, and opens a file kept in a read-only folder.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
               0600);
  struct stat file {};
  struct stat folder {};
  if (fd_ < 0) {
    error_ = errno;
    // Something is there that we may not open (a link among them): not ours.
    // Without anything there, the folder only takes no new file.
    refused_ = ::lstat(path.c_str(), &file) == 0;
    return;
  }
  if (::fstat(fd_, &file) != 0 || ::stat(dir.c_str(), &folder) != 0) {
    error_ = errno;
    return;
  }
  if (!IsPrivateLockFile(file, folder)) {
    error_ = EACCES;
    refused_ = true;
    return;
  }
  // Made by root in a user's folder: the user's own runs must open it too.
  if (file.st_uid != folder.st_uid && ::geteuid() == 0) ::fchown(fd_, folder.st_uid, -1);
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) error_ = errno;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::HeldByAnotherRun() const { return error_ == EWOULDBLOCK; }

}  // namespace quillivar
