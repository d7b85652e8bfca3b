#include "refresh/folder_checks.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quillivar {
namespace {

using Refusal = FolderLock::Refusal;

constexpr mode_t kPrivate = 0600;

Refusal KindRefusal(const struct stat& file) {
  if (S_ISLNK(file.st_mode)) return Refusal::Link;
  return S_ISREG(file.st_mode) ? Refusal::None : Refusal::NotRegularFile;
}

// Whether the file system keeps the permission bits that the check below
// relies on: a change to 0600 reads back as 0600. Where it does, the file's
// own mode is put back, so a refused file stays as it was.
bool KeepsPermissionBits(int fd, const struct stat& file) {
  if (::fchmod(fd, kPrivate) != 0) return errno != ENOSYS && errno != EOPNOTSUPP;
  struct stat after {};
  const bool kept = ::fstat(fd, &after) == 0 && (after.st_mode & 07777) == kPrivate;
  if (kept) ::fchmod(fd, file.st_mode & 07777);
  return kept;
}

// The lock file's owner is the user or the folder's owner, and it is open to
// nobody else where the file system can tell.
Refusal PrivateLockFileRefusal(int fd, const struct stat& file, const struct stat& folder) {
  if (const Refusal kind = KindRefusal(file); kind != Refusal::None) return kind;
  if (file.st_uid != ::geteuid() && file.st_uid != folder.st_uid) return Refusal::AnotherUsersFile;
  if ((file.st_mode & 077) == 0 || !KeepsPermissionBits(fd, file)) return Refusal::None;
  return Refusal::OpenToOthers;
}

// Something is there that we may not open: what it is says why.
Refusal UnopenableRefusal(const std::string& path) {
  struct stat file {};
  if (::lstat(path.c_str(), &file) != 0) return Refusal::None;  // the folder takes no new file
  if (const Refusal kind = KindRefusal(file); kind != Refusal::None) return kind;
  return file.st_uid == ::geteuid() ? Refusal::CannotOpen : Refusal::AnotherUsersFile;
}

}  // namespace

FolderLock::FolderLock(const std::string& dir) {
  const std::string path = dir + kFolderLockFileName;
  // Read-only is enough for flock, and opens a file kept in a read-only folder.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY,
               kPrivate);
  struct stat file {};
  struct stat folder {};
  if (fd_ < 0) {
    error_ = errno;
    refusal_ = UnopenableRefusal(path);
    return;
  }
  if (::fstat(fd_, &file) != 0 || ::stat(dir.c_str(), &folder) != 0) {
    error_ = errno;
    return;
  }
  refusal_ = PrivateLockFileRefusal(fd_, file, folder);
  if (Refused()) {
    error_ = EACCES;
    return;
  }
  // Made by root in a user's folder: the user's own runs must open it too.
  // Should that fail, they refuse it as another user's file, and say so.
  if (file.st_uid != folder.st_uid && ::geteuid() == 0) {
    [[maybe_unused]] const int owned = ::fchown(fd_, folder.st_uid, -1);
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) error_ = errno;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::HeldByAnotherRun() const { return error_ == EWOULDBLOCK; }

}  // namespace quillivar
