// Text files of the system: Shift-JIS, one record per line, CR LF line ends,
// every operation checked at once. Paths are the file system's own bytes.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "files/failure_text.h"
#include "files/save_steps.h"

namespace quillivar {

// The reads and writes of the open text files all pass through one FileBytes:
// the system's own, unless a test has put in one that fails as a disk would.
class FileBytes {
 public:
  virtual ~FileBytes() = default;
  // As read(2) and write(2): the count of bytes moved, or -1 with errno set.
  virtual ssize_t Read(int fd, void* buffer, std::size_t size);
  virtual ssize_t Write(int fd, const void* bytes, std::size_t size);
};

// Puts `bytes` in place of the current FileBytes (null: the system's own) and
// returns the one it replaces.
FileBytes* ReplaceFileBytes(FileBytes* bytes);

// Reads lines that end at LF or CR LF; once the end is reached every further
// line is empty. A CR not followed by LF, and 0x1A, are ordinary bytes.
class TextFileReader {
 public:
  explicit TextFileReader(const std::string& path);  // throws Error
  // The file that a save of `path` would replace, found and opened by the
  // save's own rules (see ReplacingTextFileWriter): a link that the save would
  // not follow is not followed here either, and only a regular file is read.
  // Throws Error: ENOENT without one, ENODEV for a device or FIFO, EACCES,
  // EWOULDBLOCK or Error::Aborted() as the save's wait for a lease ends.
  static TextFileReader OfFileTheSaveWouldReplace(const std::string& path,
                                                  AbortPoint* abortPoint);
  ~TextFileReader();
  TextFileReader(const TextFileReader&) = delete;
  TextFileReader& operator=(const TextFileReader&) = delete;

  // Bounds the memory a file may take as it is read: more than `fileBytes`
  // of it, or a line longer than `lineBytes`, throws Error (EFBIG), from
  // here already when the file is larger.
  void Limit(std::size_t fileBytes, std::size_t lineBytes);

  Text ReadLine();  // throws Error
  // True when no byte is left: every further line is empty. Throws Error.
  bool AtEnd();

 private:
  TextFileReader(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  bool Refill();

  std::string path_;
  int fd_ = -1;
  std::string buffer_;
  std::size_t position_ = 0;
  bool atEnd_ = false;
  std::size_t bytesRead_ = 0;
  std::size_t fileLimit_ = SIZE_MAX;
  std::size_t lineLimit_ = SIZE_MAX;
};

// Replaces a file as a whole: the lines go to a temporary file beside it,
// which is renamed over the target only after a complete, flushed write, and
// the folder is synced after the rename. Until Commit succeeds the target
// stays byte for byte as it was; a writer that is destroyed without a
// successful Commit removes its temporary file.
//
// Besides the contents nothing of the user's file changes: a symbolic link is
// followed to the file it names (which is created when the link dangles),
// except a link, anywhere on the path, that the protected-links rule forbids
// to follow (see save::FindTarget). The new file keeps the old one's
// permission bits (set-id bits dropped), POSIX ACL, user.* attributes and,
// where allowed, its group (as root, its owner too); see
// save::MatchAttributes. Only a regular file is replaced (ENODEV otherwise).
// Where the folder refuses a new file or the rename (a read-only folder,
// another's file in a sticky folder, a file mounted on its own), an existing
// writable target is written in place, by Commit only, under an exclusive
// lock: a Commit that fails then leaves it incomplete. A file with other
// names (hard links) is not written in place (EMLINK). The waits for another
// program pass `abortPoint` (see save::OpenTarget).
// The temporary file has no name until it is complete where the file system
// allows; a named one left by a killed save is removed by the next save.
class ReplacingTextFileWriter {
 public:
  // Throws Error when the target or its folder cannot be written; a target
  // without any write permission bit counts as read-only, for root too.
  explicit ReplacingTextFileWriter(std::string path, AbortPoint* abortPoint = nullptr);
  ~ReplacingTextFileWriter();
  ReplacingTextFileWriter(const ReplacingTextFileWriter&) = delete;
  ReplacingTextFileWriter& operator=(const ReplacingTextFileWriter&) = delete;

  void WriteLine(std::string_view line);  // the line, then CR LF
  // Throws Error; of kind kUnsynced when the file was replaced but its folder
  // could not be synced.
  void Commit();

 private:
  int RenameOverTarget();
  void Flush();
  void Abandon() noexcept;
  [[noreturn]] void Fail(int code);  // abandons, then throws Error

  std::string path_;       // as given, for the messages
  AbortPoint* abortPoint_;
  save::Target target_;    // the folder and the file's name in it
  save::Fd file_;          // the existing target, opened for an in-place write
  save::Fd temp_;          // the temporary file
  std::string tempName_;   // its name in the folder; empty while it has none
  bool inPlace_ = false;   // no temporary file: everything waits for Commit
  std::string pending_;
  bool committed_ = false;
};

}  // namespace quillivar
