#include "refresh/progress_report.h"

#include "catalogue/catalogue.h"
#include "text/code_page.h"

namespace quillivar {

ProgressReport::ProgressReport(TerminalOutput& output, int selectedIndustries, bool acceptShrink)
    : output_(output), selectedIndustries_(selectedIndustries), acceptShrink_(acceptShrink) {}

std::string ProgressReport::Heading() const {
  // Built by appending: g++ 12 at -O3 takes "[" + string for an overlap.
  std::string heading("[");
  heading.append(std::to_string(industry_)).append("/");
  heading.append(std::to_string(selectedIndustries_)).append("] ").append(industryName_);
  return heading;
}

void ProgressReport::IndustryStarted(const Text& industryCode) {
  ++industry_;
  industryName_ = SjisToUtf8(IndustryNameOfCode(industryCode));
  industryPages_ = 0;
}

void ProgressReport::PageStarted() {
  // A retry asks for the same page again.
  if (!retrying_) {
    ++industryPages_;
    ++pages_;
  }
  retrying_ = false;
  output_.Redraw(Heading() + "  " + std::to_string(industryPages_) + " ページ目  計 " +
                 std::to_string(pages_) + " ページ, " + std::to_string(rows_) + " 件");
}

void ProgressReport::Retrying(const Text& status) {
  retrying_ = true;
  output_.Line(Heading() + ": " + SjisToUtf8(status));
}

void ProgressReport::IndustryFetched(std::size_t rows) {
  rows_ += rows;
  const std::string totals =
      "計 " + std::to_string(pages_) + " ページ, " + std::to_string(rows_) + " 件";
  if (output_.IsTerminal()) {
    output_.Redraw(Heading() + "  " + totals);
  } else {
    output_.Line(Heading() + ": " + std::to_string(industryPages_) + " ページ, " +
                 std::to_string(rows) + " 件 (" + totals + ")");
  }
}

bool ProgressReport::MayReplaceSuspectList(const Text& facts) {
  output_.Line(SjisToUtf8(facts));
  output_.Line(acceptShrink_ ? "--accept-shrink: 置き換えます / replacing it as asked"
                             : "サイトを確かめたうえで置き換えるには --accept-shrink を付けて実行してください"
                               " / to replace it all the same, look at the site, then run with"
                               " --accept-shrink");
  return acceptShrink_;
}

}  // namespace quillivar
