// The lock the command takes on its folder before the first request, so that
// two unattended runs never download for nothing or write the same list.
#pragma once

#include <string>

namespace quillivar {

constexpr char kFolderLockFileName[] = ".quillivar-refresh.lock";

// One run per folder: an exclusive lock on the lock file in the folder, held
// while this object lives. The file is made with mode 0600 and kept, so that
// only its user (and root) can open it and hold the lock; the kernel lets go
// of the lock however the process ends. On a file system that keeps no
// permission bits (exFAT, FAT, SMB shares) any regular file serves: there
// everybody who reaches the folder may write in it anyway.
class FolderLock {
 public:
  // Why what is there is no lock file of this user's alone.
  enum class Refusal { None, Link, NotRegularFile, AnotherUsersFile, OpenToOthers, CannotOpen };

  explicit FolderLock(const std::string& dir);  // `dir` ends with "/"
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool HeldByAnotherRun() const;
  bool Refused() const { return refusal_ != Refusal::None; }
  Refusal Why() const { return refusal_; }
  // 0 while held; else the errno that kept it from being taken.
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
  Refusal refusal_ = Refusal::None;
};

}  // namespace quillivar
