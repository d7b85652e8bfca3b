// Serves the text files' reads and writes while it lives, and fails them as a
// failing or full disk would: the n-th read, and every write past a number of
// bytes (the last one cut short), each with the errno chosen.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <limits>

#include "files/text_file.h"

namespace quillivar::testing {

class FailingFileBytes : public FileBytes {
 public:
  struct Fault {
    int failingRead = 0;  // 1 for the first read; 0: none
    std::size_t writableBytes = std::numeric_limits<std::size_t>::max();
    int code = EIO;
  };

  explicit FailingFileBytes(Fault fault) : fault_(fault), previous_(ReplaceFileBytes(this)) {}
  ~FailingFileBytes() override { ReplaceFileBytes(previous_); }
  FailingFileBytes(const FailingFileBytes&) = delete;
  FailingFileBytes& operator=(const FailingFileBytes&) = delete;

  ssize_t Read(int fd, void* buffer, std::size_t size) override {
    if (++reads_ == fault_.failingRead) return Fail();
    return FileBytes::Read(fd, buffer, size);
  }
  ssize_t Write(int fd, const void* bytes, std::size_t size) override {
    if (written_ >= fault_.writableBytes) return Fail();
    const ssize_t wrote = FileBytes::Write(fd, bytes, std::min(size, fault_.writableBytes - written_));
    if (wrote > 0) written_ += static_cast<std::size_t>(wrote);
    return wrote;
  }
  int Failures() const { return failures_; }

 private:
  ssize_t Fail() {
    ++failures_;
    errno = fault_.code;
    return -1;
  }

  Fault fault_;
  FileBytes* previous_;
  int reads_ = 0;
  std::size_t written_ = 0;
  int failures_ = 0;
};

}  // namespace quillivar::testing
