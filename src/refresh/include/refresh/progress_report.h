// What a person follows during a run: industry n of the selected ones, the
// pages requested and the rows received so far.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "refresh/terminal_output.h"
#include "run/download_run.h"
#include "text/text.h"

namespace quillivar {

// The run as the command presents it: progress lines, the facts of a suspect
// list and the option's answer to it.
class ProgressReport : public RunObserver {
 public:
  // `acceptShrink`: the answer to a suspect new list (--accept-shrink).
  ProgressReport(TerminalOutput& output, int selectedIndustries, bool acceptShrink);

  // The status line is the window's: a terminal has its progress line.
  void ShowStatus(const Text&) override {}
  void IndustryStarted(const Text& industryCode) override;
  void PageStarted() override;
  // The status text of a page about to be tried again.
  void Retrying(const Text& status) override;
  void IndustryFetched(std::size_t rows) override;
  // The facts on standard error, then what the option decides.
  bool MayReplaceSuspectList(const Text& facts) override;
  // Never: the command refuses such a selection before the run.
  bool MayWriteEmptyList() override { return false; }

 private:
  std::string Heading() const;

  TerminalOutput& output_;
  int selectedIndustries_;
  bool acceptShrink_;
  int industry_ = 0;
  std::string industryName_;  // UTF-8
  int industryPages_ = 0;
  int pages_ = 0;
  std::size_t rows_ = 0;
  bool retrying_ = false;
};

}  // namespace quillivar
