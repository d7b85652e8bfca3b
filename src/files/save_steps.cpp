#include "files/save_steps.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <thread>
#include <vector>

#include "pump/event_pump.h"
#include "files/text_file.h"

namespace quillivar::save {

void Fd::Reset(int fd) noexcept {
  if (fd_ >= 0) {
    const int saved = errno;
    ::close(fd_);
    errno = saved;
  }
  fd_ = fd;
}

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// A call that this file system does not carry out: what it would keep (an
// owner, a mode, a lock) is not kept there, and the save goes on without it.
// FUSE file systems answer ENOSYS for calls they leave out; ENOTSUP is
// EOPNOTSUPP on Linux.
bool NotSupportedHere(int code) { return code == EOPNOTSUPP || code == ENOSYS; }

// Calls `attempt` until it returns anything but EWOULDBLOCK (see OpenTarget).
template <typename Attempt>
int WaitWhileBusy(AbortPoint* abortPoint, Attempt attempt) {
  using namespace std::chrono_literals;
  const auto giveUp = std::chrono::steady_clock::now() + 5s;
  while (true) {
    const int code = attempt();
    if (code != EWOULDBLOCK) return code;
    if (abortPoint != nullptr && abortPoint->PumpAndTestAbort()) return ECANCELED;
    if (std::chrono::steady_clock::now() >= giveUp) return EWOULDBLOCK;
    std::this_thread::sleep_for(20ms);
  }
}

// ---- Finding the target

// Linux's own bound on the symbolic links met while resolving one path.
constexpr int kMaxLinks = 40;

Fd OpenPath(int folder, const char* name) {
  return Fd(::openat(folder, name, O_PATH | O_NOFOLLOW | O_CLOEXEC));
}

// Pushes the names of `path` on `pending` so that its first name is on top.
// A path that ends in "/" (or is just "/") names a folder: "." stands for it.
void PushNames(std::string_view path, std::vector<std::string>& pending) {
  if (path.empty() || path.ends_with('/')) pending.emplace_back(".");
  std::size_t end = path.size();
  while (end > 0) {
    const std::size_t slash = path.rfind('/', end - 1);
    const std::size_t begin = slash == std::string_view::npos ? 0 : slash + 1;
    if (end > begin) pending.emplace_back(path.substr(begin, end - begin));
    if (slash == std::string_view::npos) break;
    end = slash;
  }
}

// The kernel's protected-links rule, against links planted in shared folders.
bool MayFollow(const struct stat& folder, const struct stat& link) {
  const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
  return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

// Puts the names of the link `link` in `folder` on `pending`; an absolute one
// starts again from the root folder.
int FollowLink(Fd& folder, const Fd& link, const struct stat& info,
               std::vector<std::string>& pending) {
  struct stat folderInfo {};
  if (::fstat(folder.Get(), &folderInfo) != 0) return errno;
  if (!MayFollow(folderInfo, info)) return EACCES;
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlinkat(link.Get(), "", target.data(), target.size());
  if (length < 0) return errno;
  if (static_cast<std::size_t>(length) == target.size()) return ENAMETOOLONG;
  target.resize(static_cast<std::size_t>(length));
  if (target.starts_with('/')) {
    folder = OpenPath(AT_FDCWD, "/");
    if (!folder.Valid()) return errno;
  }
  PushNames(target, pending);
  return 0;
}

// ---- Temporary files

// Temporary files are named "." + target name + kTempMarker + a suffix of
// kSuffixLength letters and digits; nothing else is ever taken for one.
constexpr char kTempMarker[] = ".saving-";
constexpr std::size_t kSuffixLength = 6;
constexpr char kSuffixAlphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kNameAttempts = 100;
// So that the temporary name fits NAME_MAX (255 bytes), a longer target name
// is cut. Any bytes but "/" and NUL make a name, so a cut through a Shift-JIS
// or UTF-8 character only looks odd; targets that share these first bytes
// share the pattern, and a save removes only leftovers nobody holds.
constexpr std::size_t kMaxNamePart = NAME_MAX - 1 - (sizeof kTempMarker - 1) - kSuffixLength;

std::string TemporaryNamePrefix(const Target& target) {
  std::string prefix(".");
  prefix.append(target.name, 0, kMaxNamePart).append(kTempMarker);
  return prefix;
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

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// False only when another save holds the lock, that is, when it is about to
// remove the file. Without locks on this file system no save can take a file
// for a leftover, so an unlocked one is safe too.
bool LockTemporary(int fd) {
  return ::flock(fd, LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

bool TemporaryFilesUnsupported(int code) {
  return NotSupportedHere(code) || code == EISDIR || code == EINVAL;
}

// A locked file without a name, or -1 with errno set. It gets its name
// through /proc, so without /proc the file system counts as unable.
int OpenUnnamedTemporary(const Target& target, mode_t mode) {
  if (::access("/proc/self/fd", X_OK) != 0) {
    errno = EOPNOTSUPP;
    return -1;
  }
  const int fd = ::openat(target.folder.Get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
  if (fd >= 0) LockTemporary(fd);  // nameless: nobody else can hold its lock
  return fd;
}

// A new, locked file named by the pattern.
int CreateNamedTemporary(const Target& target, mode_t mode, Fd& temp, std::string& name) {
  const std::string prefix = TemporaryNamePrefix(target);
  const int folder = target.folder.Get();
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = prefix + RandomSuffix();
    temp = Fd(::openat(folder, name.c_str(),
                       O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode));
    if (!temp.Valid()) {
      if (errno == EEXIST) continue;
      name.clear();
      return errno;
    }
    struct stat opened {};
    struct stat named {};
    // Between the creation and the lock a cleaner may have taken the file
    // for a leftover and removed it: then take another name.
    if (LockTemporary(temp.Get()) && ::fstat(temp.Get(), &opened) == 0 &&
        ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(opened, named)) {
      return 0;
    }
  }
  temp.Reset();
  name.clear();
  return EEXIST;
}

// ---- Attributes

constexpr char kAcl[] = "system.posix_acl_access";

// Fills `value` through `get(buffer, size)`, which works as fgetxattr and
// flistxattr do: with size 0 it tells the size needed.
template <typename Get>
int ReadSized(std::string& value, Get get) {
  for (int attempt = 0; attempt < 4; ++attempt) {  // it may grow meanwhile
    const ssize_t size = get(nullptr, 0);
    if (size < 0) return errno;
    value.resize(static_cast<std::size_t>(size));
    const ssize_t got = get(value.data(), value.size());
    if (got >= 0) {
      value.resize(static_cast<std::size_t>(got));
      return 0;
    }
    if (errno != ERANGE) return errno;
  }
  return ERANGE;
}

int ReadAttribute(int fd, const char* name, std::string& value) {
  return ReadSized(value, [&](char* buffer, std::size_t size) {
    return ::fgetxattr(fd, name, buffer, size);
  });
}

// Where the permissions of the owning group's own entry are in a POSIX ACL as
// Linux stores it (linux/posix_acl_xattr.h): a 4-byte version, then 8-byte
// entries of tag (2 bytes), permissions (2) and id (4), little-endian.
std::size_t AclGroupPermissionsAt(std::string_view acl) {
  constexpr unsigned kGroupObj = 0x04;
  for (std::size_t at = 4; at + 8 <= acl.size(); at += 8) {
    const unsigned tag = static_cast<unsigned char>(acl[at]) |
                         static_cast<unsigned char>(acl[at + 1]) << 8;
    if (tag == kGroupObj) return at + 2;
  }
  return std::string_view::npos;
}

mode_t AclGroupPermissions(std::string_view acl) {
  const std::size_t at = AclGroupPermissionsAt(acl);
  return at == std::string_view::npos ? 0 : static_cast<unsigned char>(acl[at]) & 07;
}

// The permission bits without the set-id ones. With an ACL the group bits are
// its mask, which may be wider than its entry for the owning group: until the
// ACL is in place (if it ever is), the group gets no more than that entry.
mode_t NarrowedMode(const struct stat& info, int file) {
  mode_t mode = info.st_mode & 0777;
  std::string acl;
  if (ReadAttribute(file, kAcl, acl) == 0) mode &= 0707 | AclGroupPermissions(acl) << 3;
  return mode;
}

// The ACL and the user.* attributes: those the owner of a file may set. With
// `groupKept` false the ACL's entry for the owning group is emptied: that
// group is another one now.
void CopyAttributes(int from, int to, bool groupKept) {
  std::string names;
  if (ReadSized(names, [&](char* buffer, std::size_t size) {
        return ::flistxattr(from, buffer, size);
      }) != 0) {
    return;
  }
  for (std::size_t at = 0, end; (end = names.find('\0', at)) != std::string::npos; at = end + 1) {
    const std::string name = names.substr(at, end - at);
    if (!name.starts_with("user.") && name != kAcl) continue;
    std::string value;
    if (ReadAttribute(from, name.c_str(), value) == 0) {
      const std::size_t group = name == kAcl && !groupKept ? AclGroupPermissionsAt(value)
                                                           : std::string::npos;
      if (group != std::string::npos) value[group] = 0;
      ::fsetxattr(to, name.c_str(), value.data(), value.size(), 0);
    }
  }
}

}  // namespace

int FindTarget(const std::string& path, Target& target) {
  if (path.empty()) return ENOENT;
  std::vector<std::string> pending;
  PushNames(path, pending);
  Fd folder = OpenPath(AT_FDCWD, path.starts_with('/') ? "/" : ".");
  if (!folder.Valid()) return errno;
  std::string name;
  int links = 0;
  while (!pending.empty()) {
    name = std::move(pending.back());
    pending.pop_back();
    Fd next = OpenPath(folder.Get(), name.c_str());
    if (!next.Valid()) {
      if (errno == ENOENT && pending.empty()) break;  // a new file
      return errno;
    }
    struct stat info {};
    if (::fstat(next.Get(), &info) != 0) return errno;
    if (S_ISLNK(info.st_mode)) {
      if (++links > kMaxLinks) return ELOOP;
      if (const int code = FollowLink(folder, next, info, pending)) return code;
    } else if (pending.empty()) {
      target.exists = true;
      target.file = info;
    } else if (S_ISDIR(info.st_mode)) {
      folder = std::move(next);
    } else {
      return ENOTDIR;
    }
  }
  target.folder = std::move(folder);
  target.name = std::move(name);
  return 0;
}

int OpenTarget(Target& target, int access, Fd& file, AbortPoint* abortPoint) {
  if (S_ISDIR(target.file.st_mode)) return EISDIR;
  if (!S_ISREG(target.file.st_mode)) return ENODEV;  // a device or a FIFO stays as it is
  if (access == O_WRONLY && (target.file.st_mode & 0222) == 0) return EACCES;
  // Without truncation: this tells whether we may replace it at all, and the
  // descriptor serves if it has to be written in place. Non-blocking, so that
  // another program's lease makes the open fail at once and we wait here.
  const int code = WaitWhileBusy(abortPoint, [&] {
    file = Fd(::openat(target.folder.Get(), target.name.c_str(),
                       access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    return file.Valid() ? 0 : errno;
  });
  if (code != 0) return code == ELOOP ? EACCES : code;  // ELOOP: now a link
  struct stat opened {};
  if (::fstat(file.Get(), &opened) != 0) return errno;
  if (!SameFile(opened, target.file)) return EACCES;
  target.file = opened;
  return 0;
}

// A writer holds its temporary file locked from creation until the rename,
// and the kernel drops the lock when the process dies, however it dies. So a
// file of our naming pattern for this target that nobody holds locked is the
// leftover of a save that died.
void RemoveStaleTemporaries(const Target& target) {
  const int folderFd = target.folder.Get();
  const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* const folder = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
  if (folder == nullptr) {
    if (listFd >= 0) ::close(listFd);
    return;
  }
  const std::string prefix = TemporaryNamePrefix(target);
  while (const dirent* entry = ::readdir(folder)) {
    if (!IsTemporaryOf(entry->d_name, prefix)) continue;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
    Fd file(::openat(folderFd, entry->d_name, O_RDONLY | kFlags));
    if (!file.Valid() && errno == EACCES) {
      file = Fd(::openat(folderFd, entry->d_name, O_WRONLY | kFlags));
    }
    if (!file.Valid()) continue;
    struct stat opened {};
    struct stat named {};
    // The name is checked again under the lock: it may have been removed and
    // given to a new temporary file since we opened it.
    if (::fstat(file.Get(), &opened) == 0 && S_ISREG(opened.st_mode) &&
        ::flock(file.Get(), LOCK_EX | LOCK_NB) == 0 &&
        ::fstatat(folderFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(named, opened)) {
      ::unlinkat(folderFd, entry->d_name, 0);
    }
  }
  ::closedir(folder);
}

int CreateTemporary(const Target& target, mode_t mode, Fd& temp, std::string& name) {
  temp = Fd(OpenUnnamedTemporary(target, mode));
  if (temp.Valid()) return 0;
  if (!TemporaryFilesUnsupported(errno)) return errno;
  return CreateNamedTemporary(target, mode, temp, name);
}

int MatchAttributes(int temp, int file, const struct stat& info) {
  if (::fchown(temp, info.st_uid, info.st_gid) != 0 &&
      ::fchown(temp, static_cast<uid_t>(-1), info.st_gid) != 0 && errno != EPERM &&
      errno != EINVAL && !NotSupportedHere(errno)) {
    return errno;
  }
  struct stat made {};
  if (::fstat(temp, &made) != 0) return errno;
  const bool groupKept = made.st_gid == info.st_gid;
  ::fremovexattr(temp, kAcl);  // one taken from the folder's default ACL
  const mode_t mode = NarrowedMode(info, file) & (groupKept ? 0777 : 0707);
  if (::fchmod(temp, mode) != 0 && errno != EPERM && !NotSupportedHere(errno)) return errno;
  CopyAttributes(file, temp, groupKept);  // the ACL sets the group bits to its mask
  return 0;
}

int WriteAll(FileBytes& bytes, int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t wrote = bytes.Write(fd, data.data() + done, data.size() - done);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(wrote);
  }
  return 0;
}

int ReadAll(int fd, std::string& data) {
  std::string block(kBlock, '\0');
  while (true) {
    const ssize_t got = ::pread(fd, block.data(), block.size(), static_cast<off_t>(data.size()));
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    data.append(block, 0, static_cast<std::size_t>(got));
  }
}

int Sync(int fd) { return ::fsync(fd) == 0 ? 0 : errno; }

int NameTemporary(int temp, const Target& target, std::string& name) {
  const std::string source = "/proc/self/fd/" + std::to_string(temp);
  const std::string prefix = TemporaryNamePrefix(target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    name = prefix + RandomSuffix();
    if (::linkat(AT_FDCWD, source.c_str(), target.folder.Get(), name.c_str(),
                 AT_SYMLINK_FOLLOW) == 0) {
      return 0;
    }
    if (errno != EEXIST) break;
  }
  const int code = errno;
  name.clear();
  return code;
}

int RenameOverTarget(const Target& target, const std::string& tempName) {
  const int folder = target.folder.Get();
  return ::renameat(folder, tempName.c_str(), folder, target.name.c_str()) == 0 ? 0 : errno;
}

void RemoveTemporary(const Target& target, const std::string& tempName) noexcept {
  ::unlinkat(target.folder.Get(), tempName.c_str(), 0);
}

int SyncFolder(const Target& target) {
  const Fd folder(::openat(target.folder.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.Valid()) return errno;
  return ::fsync(folder.Get()) == 0 || errno == EINVAL ? 0 : errno;
}

bool NeedsInPlaceWrite(int code) {
  return code == EACCES || code == EPERM || code == EBUSY || code == EROFS;
}

int WriteInPlace(FileBytes& bytes, int file, std::string_view contents, AbortPoint* abortPoint) {
  const int locked = WaitWhileBusy(abortPoint, [file] {
    return ::flock(file, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
  });
  if (locked != 0 && !NotSupportedHere(locked)) return locked;
  struct stat info {};
  if (::fstat(file, &info) != 0) return errno;
  if (info.st_nlink > 1) return EMLINK;
  // Root's writes keep them; a refusal leaves the bits to the kernel, which
  // drops them on another user's write.
  if (info.st_mode & (S_ISUID | S_ISGID)) ::fchmod(file, info.st_mode & 01777);
  if (::ftruncate(file, 0) != 0) return errno;
  if (const int code = WriteAll(bytes, file, contents)) return code;
  return Sync(file);
}

}  // namespace quillivar::save
