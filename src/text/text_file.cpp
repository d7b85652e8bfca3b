#include "text/text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <ctime>

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

FileBytes systemBytes;
FileBytes* currentBytes = &systemBytes;

}  // namespace

ssize_t FileBytes::Read(int fd, void* buffer, std::size_t size) {
  return ::read(fd, buffer, size);
}

ssize_t FileBytes::Write(int fd, const void* bytes, std::size_t size) {
  return ::write(fd, bytes, size);
}

FileBytes* ReplaceFileBytes(FileBytes* bytes) {
  FileBytes* const previous = currentBytes;
  currentBytes = bytes != nullptr ? bytes : &systemBytes;
  return previous;
}

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
    got = currentBytes->Read(fd_, buffer_.data() + old, kBlock);
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

namespace {

// Linux's own bound on the symbolic links met while resolving one path.
constexpr int kMaxLinks = 40;
// Temporary files are named "." + target name + kTempMarker + a suffix of
// kSuffixLength letters and digits; nothing else is ever taken for one.
constexpr char kTempMarker[] = ".saving-";
constexpr std::size_t kSuffixLength = 6;
constexpr char kSuffixAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsPermissionError(int code) { return code == EACCES || code == EPERM; }

// The kernel's rule for links in shared sticky folders such as /tmp, applied
// whatever the system's setting: follow a link there only when it is ours or
// the folder owner's, so nobody can plant one that redirects our save.
bool MayFollow(const std::string& linkPath, const struct stat& link) {
  struct stat folder {};
  if (::stat(ParentDirectory(linkPath).c_str(), &folder) != 0) return false;
  const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// Follows symbolic links from `path` to the file they name, which need not
// exist. Returns 0, or the errno that stopped the resolution.
int ResolveLinks(std::string& path) {
  for (int followed = 0;; ++followed) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? 0 : errno;
    if (!S_ISLNK(info.st_mode)) return 0;
    if (followed == kMaxLinks) return ELOOP;
    if (!MayFollow(path, info)) return EACCES;
    std::string target(PATH_MAX, '\0');
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0) return errno;
    if (static_cast<std::size_t>(length) == target.size()) return ENAMETOOLONG;
    target.resize(static_cast<std::size_t>(length));
    path = target.starts_with('/') ? target : ParentDirectory(path) + "/" + target;
  }
}

std::string TemporaryNamePrefix(const std::string& target) {
  // Built by appending: g++ 12 at -O3 takes "." + string for an overlap.
  std::string prefix(".");
  prefix.append(BaseName(target)).append(kTempMarker);
  return prefix;
}

std::string TemporaryPathPrefix(const std::string& target) {
  return ParentDirectory(target) + "/" + TemporaryNamePrefix(target);
}

std::string RandomSuffix() {
  unsigned char bytes[kSuffixLength];
  if (::getrandom(bytes, sizeof bytes, GRND_NONBLOCK) != sizeof bytes) {
    // Names are made unique by O_EXCL and EEXIST; this only spreads them.
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::uint64_t mix = static_cast<std::uint64_t>(now.tv_nsec) ^
                        (static_cast<std::uint64_t>(::getpid()) << 32);
    for (unsigned char& byte : bytes) {
      mix = mix * 6364136223846793005u + 1442695040888963407u;
      byte = static_cast<unsigned char>(mix >> 56);
    }
  }
  std::string suffix;
  for (const unsigned char byte : bytes) {
    suffix += kSuffixAlphabet[byte % (sizeof kSuffixAlphabet - 1)];
  }
  return suffix;
}

bool IsTemporaryOf(std::string_view name, std::string_view prefix) {
  if (name.size() != prefix.size() + kSuffixLength || !name.starts_with(prefix)) {
    return false;
  }
  const std::string_view suffix = name.substr(prefix.size());
  return suffix.find_first_not_of(kSuffixAlphabet) == std::string_view::npos;
}

// A writer holds its temporary file locked from creation until the rename,
// and the kernel drops the lock when the process dies, however it dies. So a
// file of our naming pattern for this target that nobody holds locked is the
// leftover of a save that died, and is removed. A failure here only leaves a
// leftover for a later save: it does not stop this one.
void RemoveStaleTemporaries(const std::string& target) {
  DIR* folder = ::opendir(ParentDirectory(target).c_str());
  if (folder == nullptr) return;
  const std::string prefix = TemporaryNamePrefix(target);
  const int folderFd = ::dirfd(folder);
  while (const dirent* entry = ::readdir(folder)) {
    if (!IsTemporaryOf(entry->d_name, prefix)) continue;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    int fd = ::openat(folderFd, entry->d_name, O_RDONLY | kFlags);
    if (fd < 0 && errno == EACCES) fd = ::openat(folderFd, entry->d_name, O_WRONLY | kFlags);
    if (fd < 0) continue;
    struct stat opened {};
    struct stat named {};
    // The name is checked again under the lock: it may have been removed and
    // given to a new temporary file since we opened it.
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::close(fd);
  }
  ::closedir(folder);
}

// False only when another save holds the lock, that is, when it is about to
// remove the file. Without locks on this file system no save can take a file
// for a leftover, so an unlocked one is safe too.
bool LockTemporary(int fd) {
  return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

bool TemporaryFilesUnsupported(int code) {
  return code == EOPNOTSUPP || code == EISDIR || code == EINVAL;
}

// A locked file without a name in `folder`, or -1 with errno set. It gets its
// name through /proc, so without /proc the file system counts as unable.
int OpenUnnamedTemporary(const std::string& folder, mode_t mode) {
  if (::access("/proc/self/fd", X_OK) != 0) {
    errno = EOPNOTSUPP;
    return -1;
  }
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
  if (fd >= 0) LockTemporary(fd);  // nameless: nobody else can hold its lock
  return fd;
}

// A new, locked file named by the pattern. Returns its descriptor, or -1 with
// errno set.
int CreateNamedTemporary(const std::string& target, mode_t mode, std::string& name) {
  const std::string prefix = TemporaryPathPrefix(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = prefix + RandomSuffix();
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      name.clear();
      return -1;
    }
    struct stat opened {};
    struct stat named {};
    // Between the creation and the lock a cleaner may have taken the file
    // for a leftover and removed it: then take another name.
    if (LockTemporary(fd) && ::fstat(fd, &opened) == 0 &&
        ::lstat(name.c_str(), &named) == 0 && opened.st_ino == named.st_ino &&
        opened.st_dev == named.st_dev) {
      return fd;
    }
    ::close(fd);
  }
  name.clear();
  errno = EEXIST;
  return -1;
}

// Gives the unnamed file `fd` a temporary name in the folder of `target`.
int NameTemporary(int fd, const std::string& target, std::string& name) {
  const std::string source = "/proc/self/fd/" + std::to_string(fd);
  const std::string prefix = TemporaryPathPrefix(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = prefix + RandomSuffix();
    if (::linkat(AT_FDCWD, source.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
      return 0;
    }
    if (errno != EEXIST) break;
  }
  const int code = errno;
  name.clear();
  return code;
}

// The group of the file it replaces where we may set it (as root, the owner
// too), and its permission bits without the set-id ones.
int MatchOwnerAndMode(int fd, const struct stat& target) {
  if (::fchown(fd, target.st_uid, target.st_gid) != 0 &&
      ::fchown(fd, static_cast<uid_t>(-1), target.st_gid) != 0 && errno != EPERM &&
      errno != EINVAL) {
    return errno;
  }
  return ::fchmod(fd, target.st_mode & 0777) == 0 ? 0 : errno;
}

int WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = currentBytes->Write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}

int ReadAll(int fd, std::string& bytes) {
  char block[kBlock];
  while (true) {
    const ssize_t got = ::pread(fd, block, sizeof block, static_cast<off_t>(bytes.size()));
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    bytes.append(block, static_cast<std::size_t>(got));
  }
}

}  // namespace

ReplacingTextFileWriter::ReplacingTextFileWriter(std::string path)
    : path_(std::move(path)) {
  if (const int code = ResolveLinks(path_)) ThrowIoError(code, path_);
  struct stat existing {};
  const bool exists = ::stat(path_.c_str(), &existing) == 0;
  if (exists) {
    if (S_ISDIR(existing.st_mode)) ThrowIoError(EISDIR, path_);
    if ((existing.st_mode & 0222) == 0) ThrowIoError(EACCES, path_);
    // Opening without truncation tells whether we may replace it at all; the
    // descriptor serves if it has to be written in place.
    targetFd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (targetFd_ < 0) ThrowIoError(errno, path_);
  }
  RemoveStaleTemporaries(path_);
  const mode_t mode = exists ? 0600 : 0666;  // a new file: 0666 less the umask
  fd_ = OpenUnnamedTemporary(ParentDirectory(path_), mode);
  if (fd_ < 0 && TemporaryFilesUnsupported(errno)) {
    fd_ = CreateNamedTemporary(path_, mode, tempPath_);
  }
  if (fd_ < 0) {
    const int code = errno;
    if (!exists || !IsPermissionError(code)) Fail(code);
    inPlace_ = true;  // the folder takes no new file, but the file is writable
    return;
  }
  if (exists) {
    if (const int code = MatchOwnerAndMode(fd_, existing)) Fail(code);
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
  if (targetFd_ >= 0) ::close(targetFd_);
  targetFd_ = -1;
}

void ReplacingTextFileWriter::Fail(int code) {
  Abandon();
  ThrowIoError(code, path_);
}

void ReplacingTextFileWriter::WriteLine(std::string_view line) {
  pending_.append(line);
  pending_.append("\r\n");
  if (!inPlace_ && pending_.size() >= kBlock) Flush();
}

void ReplacingTextFileWriter::Flush() {
  const int code = WriteAll(fd_, pending_);
  pending_.clear();
  if (code != 0) Fail(code);
}

// Returns 0 or the errno of the step that failed; the target is unchanged
// unless it returns 0.
int ReplacingTextFileWriter::RenameOverTarget() {
  if (::fsync(fd_) != 0) return errno;
  if (tempPath_.empty()) {
    if (const int code = NameTemporary(fd_, path_, tempPath_)) return code;
  }
  if (::rename(tempPath_.c_str(), path_.c_str()) != 0) return errno;
  tempPath_.clear();
  return 0;
}

// The earlier contents are lost only if this write fails part-way.
void ReplacingTextFileWriter::CommitInPlace(std::string_view contents) {
  int code = ::ftruncate(targetFd_, 0) == 0 ? 0 : errno;
  if (code == 0) code = WriteAll(targetFd_, contents);
  if (code == 0 && ::fsync(targetFd_) != 0) code = errno;
  if (code != 0) Fail(code);
}

void ReplacingTextFileWriter::Commit() {
  if (!inPlace_) {
    Flush();
    const int code = RenameOverTarget();
    if (code == 0) {
      // fsync has reported whatever writing back could fail with; closing
      // lets go of the temporary file's lock only now that it has no name.
      Abandon();
      committed_ = true;
      return;
    }
    // A sticky folder lets us create files but not replace another's.
    if (!IsPermissionError(code) || targetFd_ < 0) Fail(code);
    if (const int readCode = ReadAll(fd_, pending_)) Fail(readCode);
  }
  CommitInPlace(pending_);
  Abandon();
  committed_ = true;
}

}  // namespace quillivar
