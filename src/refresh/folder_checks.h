// What the command makes sure of in its folder before the first request, so
// that an unattended run does not download for nothing.
#pragma once

#include <string>

namespace quillivar {

// One run per folder: an exclusive lock on the folder itself, held while
// this object lives. No lock file is left behind, and the kernel lets go of
// the lock however the process ends.
class FolderLock {
 public:
  explicit FolderLock(const std::string& dir);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool HeldByAnotherRun() const;
  // 0 while held; else the errno that kept it from being taken.
  int Error() const { return error_; }

 private:
  int fd_ = -1;
  int error_ = 0;
};

}  // namespace quillivar
