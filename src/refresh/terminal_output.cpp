#include "refresh/terminal_output.h"

#include <unistd.h>

namespace quillivar {

TerminalOutput::TerminalOutput(std::FILE* stream)
    : stream_(stream), isTerminal_(::isatty(::fileno(stream)) == 1) {}

void TerminalOutput::Line(std::string_view text) {
  EndProgress();
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fputc('\n', stream_);
  std::fflush(stream_);
}

void TerminalOutput::Redraw(std::string_view text) {
  if (!isTerminal_) return;
  // Back to the line's start, the new text, then the rest of the old one
  // erased.
  std::fputc('\r', stream_);
  std::fwrite(text.data(), 1, text.size(), stream_);
  std::fputs("\x1b[K", stream_);
  std::fflush(stream_);
  progressShown_ = true;
}

void TerminalOutput::EndProgress() {
  if (!progressShown_) return;
  std::fputc('\n', stream_);
  progressShown_ = false;
}

}  // namespace quillivar
