// The sample quote site's listed issues: a fixed, generated set of fictional
// companies over the 33 industries, and the pages that list them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillivar::sample {

// Texts here are UTF-8, as the site writes them into its pages.
struct SampleIssue {
  std::string code;    // four digits, or with a letter: 130A, 1A00
  std::string market;  // the market cell; "&nbsp;" where the site shows none
  std::string name;    // the name link's text, entities undecoded
};

struct SampleIndustry {
  std::string code;  // "0050" .. "9050"
  std::string name;  // "水産・農林業"
  std::vector<SampleIssue> issues;  // in code order, as listed
};

constexpr std::string_view kNoMarket = "&nbsp;";
constexpr int kDefaultIssueCount = 3800;
// Stock codes run from 1300 to 9999; leave room for the realistic ranges.
constexpr int kMaxIssueCount = 8000;

class SampleData {
 public:
  // The same `issueCount` always gives the same issues (0..kMaxIssueCount).
  explicit SampleData(int issueCount = kDefaultIssueCount);

  // In catalogue order.
  const std::vector<SampleIndustry>& Industries() const { return industries_; }
  // Null for a code outside the catalogue.
  const SampleIndustry* Find(std::string_view industryCode) const;
  int IssueCount() const { return issueCount_; }

 private:
  std::vector<SampleIndustry> industries_;
  int issueCount_ = 0;
};

// The issues a list page shows with a market, which a client takes as rows.
std::size_t ListedRowCount(const SampleIndustry& industry);

// At least 1: an industry without issues still has its first page.
int PageCount(const SampleIndustry& industry, int rowsPerPage);

// Page `page` (from 1) of an industry's list, UTF-8 with a byte-order mark.
// A code outside the catalogue, or a page past the last, lists no issues.
std::string RenderListPage(const SampleData& data, std::string_view industryCode,
                           int page, int rowsPerPage);

// The site's "not found" page.
std::string RenderNotFoundPage();

}  // namespace quillivar::sample
