// Standard error as a person or a log reads it. On a terminal, one progress
// line is redrawn in place; elsewhere only whole lines are written, so a log
// stays readable. Texts are UTF-8. After a write fails (a closed or broken
// standard error) nothing more is written: the run itself goes on.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace quillivar {

class TerminalOutput {
 public:
  explicit TerminalOutput(std::FILE* stream);

  bool IsTerminal() const { return isTerminal_; }
  // A whole line; a progress line being shown is ended first.
  void Line(std::string_view text);
  // Replaces the progress line; only on a terminal.
  void Redraw(std::string_view text);
  // Leaves the progress line, if any, as it stands.
  void EndProgress();
  // From now on whole lines are kept back, and no progress is drawn, until
  // the run's end tells whether anybody is to read them.
  void HoldBack();
  // Writes the lines kept back, or drops them.
  void Release(bool write);

 private:
  void Flush();

  std::FILE* stream_;
  bool isTerminal_;
  bool progressShown_ = false;
  bool failed_ = false;
  bool holding_ = false;
  std::string held_;
};

}  // namespace quillivar
