// The steps of a replacing save (ReplacingTextFileWriter), one function each;
// every call the save makes to the system is made here. A step returns 0 or
// the errno that stopped it. Everything after FindTarget is relative to one
// descriptor of the target's folder, so no later change to the path can
// redirect the save.
#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>

namespace quillivar {

class AbortPoint;
class FileBytes;

namespace save {

// An open file descriptor, closed when it is replaced or destroyed.
class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(other.Release()) {}
  Fd& operator=(Fd&& other) noexcept {
    Reset(other.Release());
    return *this;
  }
  ~Fd() { Reset(); }

  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  void Reset(int fd = -1) noexcept;  // closes the one held, keeping errno
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

// Where a save writes: a name in a folder, symbolic links resolved.
struct Target {
  Fd folder;             // the folder, opened once (O_PATH)
  std::string name;      // the file's name in it; never a symbolic link
  bool exists = false;
  struct stat file {};   // the file as checked, when it exists
};

// Opens the folders of `path` one name at a time without letting the system
// follow any link, and follows each link itself under the rule of Linux's
// fs.protected_symlinks, whatever the system's setting: a link in a sticky
// folder that everybody may write is followed only when it is the follower's
// or the folder owner's (EACCES otherwise). At most 40 links (ELOOP).
int FindTarget(const std::string& path, Target& target);

// The save's waits for another program (its lease on the target, its lock on
// a file written in place) pass `abortPoint` (if any) every 20 ms: ECANCELED
// after an abort, EWOULDBLOCK once about five seconds went by.

// Opens the existing target for reading or writing (`access`), refusing a
// folder (EISDIR), anything else but a regular file (ENODEV), and for writing
// a file without any write permission bit (EACCES, for root too). Refuses
// (EACCES) when the name no longer names the file FindTarget checked, as when
// a link has been put in its place. Waits for another program's lease to be
// broken.
int OpenTarget(Target& target, int access, Fd& file, AbortPoint* abortPoint);

// Removes what killed saves of this target left: temporary files of its
// pattern that no save holds locked. A failure only leaves them for later.
void RemoveStaleTemporaries(const Target& target);

// A new file in the target's folder, locked, without a name where the file
// system allows (`name` stays empty), else under the temporary pattern.
int CreateTemporary(const Target& target, mode_t mode, Fd& temp, std::string& name);

// Gives `temp` what `file` has besides its contents: its group where allowed
// (as root, its owner too), its permission bits without the set-id ones, its
// POSIX ACL and user.* attributes. Refused owner, group or mode changes and
// attributes that cannot be copied do not fail it; where the ACL is not
// copied, the group gets no more than the ACL's entry for it allowed, and
// where the group is not kept, the group that `temp` has instead gets nothing.
int MatchAttributes(int temp, int file, const struct stat& info);

int WriteAll(FileBytes& bytes, int fd, std::string_view data);
int ReadAll(int fd, std::string& data);  // appends the whole file
int Sync(int fd);

// Gives the nameless `temp` a name of the temporary pattern.
int NameTemporary(int temp, const Target& target, std::string& name);
int RenameOverTarget(const Target& target, const std::string& tempName);
void RemoveTemporary(const Target& target, const std::string& tempName) noexcept;
// Makes the renaming durable; a folder that cannot be synced (EINVAL) counts.
int SyncFolder(const Target& target);

// True for a folder that takes no new file (read-only, as around a file
// mounted on its own), or refuses the rename over the file (another's file in
// a sticky folder, a file mounted on its own).
bool NeedsInPlaceWrite(int code);

// Truncates, writes and syncs `file` under an exclusive lock, so that saves
// in place at once take turns (without locks on the file system, they don't);
// a wait like the others. Refuses a file with other
// names (EMLINK): they would change too. Drops the set-id bits.
int WriteInPlace(FileBytes& bytes, int file, std::string_view contents, AbortPoint* abortPoint);

}  // namespace save
}  // namespace quillivar
