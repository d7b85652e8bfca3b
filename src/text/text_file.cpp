#include "text/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "text/code_page.h"

namespace quillivar {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

std::string ParentDirectory(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

Text IoErrorMessage(int code, const std::string& path) {
  switch (code) {
    case ENOENT:
      if (!IsDirectory(ParentDirectory(path))) {
        return Sjis("ファイル名の指定が間違っています");
      }
      return Sjis("ファイルが見つかりません");
    case ENOTDIR:
    case ENAMETOOLONG:
      return Sjis("ファイル名の指定が間違っています");
    case EMFILE:
    case ENFILE:
      return Sjis("オープンしたファイルが多すぎます");
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return Sjis("ファイルへのアクセスが拒否されました");
    default:
      return Sjis("I/O エラー (") + IntToText(code) + ")";
  }
}

void ThrowIoError(int code, const std::string& path) {
  throw IoError(IoErrorMessage(code, path), code);
}

bool RegularFileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TextFileReader::TextFileReader(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  if (fd_ < 0) ThrowIoError(errno, path_);
}

TextFileReader::~TextFileReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool TextFileReader::Refill() {
  if (atEnd_) return false;
  buffer_.erase(0, position_);
  position_ = 0;
  const std::size_t old = buffer_.size();
  buffer_.resize(old + kBlock);
  ssize_t got;
  do {
    got = ::read(fd_, buffer_.data() + old, kBlock);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    const int code = errno;
    buffer_.resize(old);
    ThrowIoError(code, path_);
  }
  buffer_.resize(old + static_cast<std::size_t>(got));
  if (got == 0) atEnd_ = true;
  return got > 0;
}

Text TextFileReader::ReadLine() {
  std::size_t scanned = position_;
  while (true) {
    const std::size_t lf = buffer_.find('\n', scanned);
    if (lf != std::string::npos) {
      std::size_t end = lf;
      if (end > position_ && buffer_[end - 1] == '\r') --end;
      Text line = buffer_.substr(position_, end - position_);
      position_ = lf + 1;
      return line;
    }
    scanned = buffer_.size() - position_;  // relative, fixed after Refill
    if (!Refill()) {
      Text line = buffer_.substr(position_);
      position_ = buffer_.size();
      return line;
    }
    scanned += position_;
  }
}

ReplacingTextFileWriter::ReplacingTextFileWriter(std::string path)
    : path_(std::move(path)) {
  mode_t mode = 0666;
  struct stat info {};
  if (::stat(path_.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) ThrowIoError(EISDIR, path_);
    if ((info.st_mode & 0222) == 0) ThrowIoError(EACCES, path_);
    // Opening without truncation tells whether we may replace it at all.
    const int probe =
        ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (probe < 0) ThrowIoError(errno, path_);
    ::close(probe);
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  tempPath_ = path_ + ".XXXXXX";
  fd_ = ::mkostemp(tempPath_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    const int code = errno;
    tempPath_.clear();
    ThrowIoError(code, path_);
  }
  if (::fchmod(fd_, mode) != 0) {
    const int code = errno;
    Abandon();
    ThrowIoError(code, path_);
  }
}

ReplacingTextFileWriter::~ReplacingTextFileWriter() {
  if (!committed_) Abandon();
}

void ReplacingTextFileWriter::Abandon() noexcept {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

void ReplacingTextFileWriter::WriteLine(std::string_view line) {
  pending_.append(line);
  pending_.append("\r\n");
  if (pending_.size() >= kBlock) Flush();
}

void ReplacingTextFileWriter::Flush() {
  std::size_t done = 0;
  while (done < pending_.size()) {
    const ssize_t wrote =
        ::write(fd_, pending_.data() + done, pending_.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      const int code = errno;
      pending_.clear();
      Abandon();
      ThrowIoError(code, path_);
    }
    done += static_cast<std::size_t>(wrote);
  }
  pending_.clear();
}

void ReplacingTextFileWriter::Commit() {
  Flush();
  int code = 0;
  if (::fsync(fd_) != 0) code = errno;
  if (::close(fd_) != 0 && code == 0) code = errno;
  fd_ = -1;
  if (code == 0 && ::rename(tempPath_.c_str(), path_.c_str()) != 0) {
    code = errno;
  }
  if (code != 0) {
    Abandon();
    ThrowIoError(code, path_);
  }
  tempPath_.clear();
  committed_ = true;
}

}  // namespace quillivar
