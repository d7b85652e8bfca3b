// What a person follows during a run: industry n of the selected ones, the
// pages requested and the rows received so far.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "quote/internet.h"
#include "refresh/terminal_output.h"
#include "text/text.h"

namespace quillivar {

class ProgressReport {
 public:
  ProgressReport(TerminalOutput& output, int selectedIndustries);

  void IndustryStarted(const Text& industryCode);
  void PageStarted();
  // The status text of a page about to be tried again.
  void Retrying(const Text& status);
  // The industry's rows text as the fetch returned it.
  void IndustryDone(const Text& rowsText);

 private:
  std::string Heading() const;

  TerminalOutput& output_;
  int selectedIndustries_;
  int industry_ = 0;
  std::string industryName_;  // UTF-8
  int industryPages_ = 0;
  int pages_ = 0;
  std::size_t rows_ = 0;
  bool retrying_ = false;
};

// Counts the pages of the run where they begin: the page fetch opens one
// session for every page.
class PageCountingInternet : public Internet {
 public:
  PageCountingInternet(Internet& real, ProgressReport& progress)
      : real_(real), progress_(progress) {}

  std::unique_ptr<InternetSession> Open(const std::string& agent,
                                        AbortPoint& abortPoint) override {
    progress_.PageStarted();
    return real_.Open(agent, abortPoint);
  }

 private:
  Internet& real_;
  ProgressReport& progress_;
};

}  // namespace quillivar
