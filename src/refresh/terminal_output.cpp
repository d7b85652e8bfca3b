#include "refresh/terminal_output.h"

#include <unistd.h>

namespace quillivar {

TerminalOutput::TerminalOutput(std::FILE* stream)
    : stream_(stream), isTerminal_(::isatty(::fileno(stream)) == 1) {}

void TerminalOutput::Flush() {
  if (std::fflush(stream_) != 0 || std::ferror(stream_)) failed_ = true;
}

void TerminalOutput::Line(std::string_view text) {
  if (holding_) {
    held_.append(text).append("\n");
    return;
  }
  EndProgress();
  if (failed_) return;
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fputc('\n', stream_);
  Flush();
}

void TerminalOutput::Redraw(std::string_view text) {
  if (!isTerminal_ || failed_ || holding_) return;
  // Back to the line's start, the new text, then the rest of the old one
  // erased.
  std::fputc('\r', stream_);
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fputs("\x1b[K", stream_);
  Flush();
  progressShown_ = true;
}

void TerminalOutput::EndProgress() {
  if (!progressShown_) return;
  progressShown_ = false;
  if (failed_) return;
  std::fputc('\n', stream_);
  Flush();
}

void TerminalOutput::HoldBack() {
  EndProgress();
  holding_ = true;
}

void TerminalOutput::Release(bool write) {
  holding_ = false;
  if (write && !failed_ && !held_.empty()) {
    std::fwrite(held_.data(), 1, held_.size(), stream_);
    Flush();
  }
  held_.clear();
}

}  // namespace quillivar
