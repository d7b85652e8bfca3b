#include "files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/code_page.h"

namespace quillivar {
namespace {

constexpr std::size_t kBlock = 64 * 1024;

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

TextFileReader::TextFileReader(const std::string& path) : path_(path) {
  // A FIFO put in the file's place then reads as empty or fails; it is
  // never waited on.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) ThrowIoError(errno, path_);
}

TextFileReader TextFileReader::OfFileTheSaveWouldReplace(const std::string& path,
                                                         AbortPoint* abortPoint) {
  save::Target target;
  save::Fd file;
  int code = save::FindTarget(path, target);
  if (code == 0) {
    code = target.exists ? save::OpenTarget(target, O_RDONLY, file, abortPoint) : ENOENT;
  }
  if (code != 0) ThrowIoError(code, path);
  return TextFileReader(path, file.Release());
}

TextFileReader::~TextFileReader() {
  if (fd_ >= 0) ::close(fd_);
}

void TextFileReader::Limit(std::size_t fileBytes, std::size_t lineBytes) {
  fileLimit_ = fileBytes;
  lineLimit_ = lineBytes;
  struct stat info {};
  if (::fstat(fd_, &info) != 0) ThrowIoError(errno, path_);
  if (static_cast<std::uintmax_t>(info.st_size) > fileLimit_) ThrowIoError(EFBIG, path_);
}

bool TextFileReader::Refill() {
  if (atEnd_) return false;
  // What is left unread is the line being read.
  if (bytesRead_ > fileLimit_ || buffer_.size() - position_ > lineLimit_) {
    ThrowIoError(EFBIG, path_);
  }
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
  bytesRead_ += static_cast<std::size_t>(got);
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

bool TextFileReader::AtEnd() { return position_ >= buffer_.size() && !Refill(); }

ReplacingTextFileWriter::ReplacingTextFileWriter(std::string path, AbortPoint* abortPoint)
    : path_(std::move(path)), abortPoint_(abortPoint) {
  if (const int code = save::FindTarget(path_, target_)) ThrowIoError(code, path_);
  if (target_.exists) {
    const int code = save::OpenTarget(target_, O_WRONLY, file_, abortPoint_);
    if (code != 0) ThrowIoError(code, path_);
  }
  save::RemoveStaleTemporaries(target_);
  const mode_t mode = target_.exists ? 0600 : 0666;  // a new file: 0666 less the umask
  if (const int code = save::CreateTemporary(target_, mode, temp_, tempName_)) {
    if (!target_.exists || !save::NeedsInPlaceWrite(code)) Fail(code);
    if (target_.file.st_nlink > 1) Fail(EMLINK);  // found now rather than after a download
    inPlace_ = true;  // the folder takes no new file, but the file is writable
    return;
  }
  if (target_.exists) {
    if (const int code = save::MatchAttributes(temp_.Get(), file_.Get(), target_.file)) {
      Fail(code);
    }
  }
}

ReplacingTextFileWriter::~ReplacingTextFileWriter() {
  if (!committed_) Abandon();
}

void ReplacingTextFileWriter::Abandon() noexcept {
  if (!tempName_.empty()) save::RemoveTemporary(target_, tempName_);
  tempName_.clear();
  temp_.Reset();
  file_.Reset();
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
  const int code = save::WriteAll(*currentBytes, temp_.Get(), pending_);
  pending_.clear();
  if (code != 0) Fail(code);
}

// Returns 0 or the errno of the step that failed; the target is unchanged
// unless it returns 0.
int ReplacingTextFileWriter::RenameOverTarget() {
  if (const int code = save::Sync(temp_.Get())) return code;
  if (tempName_.empty()) {
    if (const int code = save::NameTemporary(temp_.Get(), target_, tempName_)) return code;
  }
  if (const int code = save::RenameOverTarget(target_, tempName_)) return code;
  tempName_.clear();
  return 0;
}

void ReplacingTextFileWriter::Commit() {
  if (!inPlace_) {
    Flush();
    const int code = RenameOverTarget();
    if (code == 0) {
      const int syncCode = save::SyncFolder(target_);
      // Closing lets go of the temporary file's lock only now that it has no
      // name.
      Abandon();
      committed_ = true;
      if (syncCode != 0) throw Error(UnsyncedSaveMessage(), Error::Kind::kUnsynced, syncCode);
      return;
    }
    if (!save::NeedsInPlaceWrite(code) || !file_.Valid()) Fail(code);
    if (const int readCode = save::ReadAll(temp_.Get(), pending_)) Fail(readCode);
  }
  // The earlier contents are lost only if this write fails part-way.
  if (const int code = save::WriteInPlace(*currentBytes, file_.Get(), pending_, abortPoint_)) Fail(code);
  Abandon();
  committed_ = true;
}

}  // namespace quillivar
