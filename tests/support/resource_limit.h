// Lowers one resource limit of the process while it lives, for the few tests
// that need a real system call to fail: a file that may grow no further, or
// no file descriptor left for the next open.
#pragma once

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace quillivar::testing {

class ResourceLimit {
 public:
  // Writes past `bytes` fail with EFBIG instead of killing the process.
  static ResourceLimit FileSize(rlim_t bytes) { return ResourceLimit(RLIMIT_FSIZE, bytes); }
  // The next file opened gets no descriptor: EMFILE.
  static ResourceLimit NoFreeDescriptor() {
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ::close(lowestFree);
    return ResourceLimit(RLIMIT_NOFILE, static_cast<rlim_t>(lowestFree));
  }

  ~ResourceLimit() {
    ::setrlimit(resource_, &saved_);
    if (resource_ == RLIMIT_FSIZE) std::signal(SIGXFSZ, previousHandler_);
  }
  ResourceLimit(const ResourceLimit&) = delete;
  ResourceLimit& operator=(const ResourceLimit&) = delete;

 private:
  ResourceLimit(int resource, rlim_t soft) : resource_(resource) {
    if (resource_ == RLIMIT_FSIZE) previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(resource_, &saved_);
    rlimit lowered = saved_;
    lowered.rlim_cur = soft;
    ::setrlimit(resource_, &lowered);
  }

  int resource_;
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

}  // namespace quillivar::testing
