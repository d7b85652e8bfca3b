// The bundled sample quote site, started in-process, fetched industry by
// industry through the real client and checked against the site's own data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "catalogue/catalogue.h"
#include "quote/curl_internet.h"
#include "quote/page_fetch.h"
#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"
#include "sample_site.h"
#include "support/fake_ui.h"
#include "text/code_page.h"

namespace quillivar {
namespace {

using sample::SampleData;
using sample::SampleIndustry;

class SampleSite {
 public:
  // The logger runs after a response has gone out: `requests` is complete
  // once the site has stopped.
  SampleSite(const SampleData& data, int rowsPerPage, std::atomic<int>* requests = nullptr) {
    sample::MountSampleSite(server_, data, {rowsPerPage, 0});
    server_.set_logger([requests](const httplib::Request&, const httplib::Response&) {
      if (requests != nullptr) ++*requests;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~SampleSite() {
    server_.stop();
    thread_.join();
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
  int Port() const { return port_; }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

// The rows a client should make of an industry's listing: the name as the
// page writes it, less its spaces, in Shift-JIS.
std::vector<StockRow> ExpectedRows(const SampleIndustry& industry) {
  std::vector<StockRow> rows;
  for (const sample::SampleIssue& issue : industry.issues) {
    if (issue.market == sample::kNoMarket) continue;
    const Text name = Utf8ToSjis(NormalisePageText(issue.name));
    rows.push_back({issue.code, Sjis(issue.market), name, IndustryNameOfCode(industry.code)});
  }
  return rows;
}

TEST(SampleSiteTest, EveryIndustryComesBackAsTheSiteListsIt) {
  const SampleData data;
  for (const int rowsPerPage : {20, 7}) {
    std::atomic<int> requests{0};
    int expectedRequests = 0;
    {
      SampleSite site(data, rowsPerPage, &requests);
      testing::FakeUi ui;
      bool abortRequested = false;
      CurlInternet internet(CurlInternet::Options{});
      AbortPoint abortPoint(ui, abortRequested);
      const QuoteClient client{internet, abortPoint, site.Host()};
      for (const IndustryEntry& entry : IndustryCatalogue()) {
        const SampleIndustry* industry = data.Find(entry.code);
        ASSERT_NE(industry, nullptr) << entry.code;
        const std::vector<StockRow> rows = FetchIndustryRows(client, entry.code);
        EXPECT_EQ(rows.size(), sample::ListedRowCount(*industry)) << entry.code;
        EXPECT_EQ(rows, ExpectedRows(*industry)) << entry.code;
        expectedRequests += sample::PageCount(*industry, rowsPerPage);
      }
      EXPECT_EQ(FetchIndustryRows(client, "9999"), std::vector<StockRow>());  // outside the catalogue
      ++expectedRequests;
    }
    EXPECT_EQ(requests, expectedRequests) << rowsPerPage;
  }
}

TEST(SampleSiteTest, DataIsFixedAndCoversWhatRealListingsHold) {
  const SampleData data;
  const SampleData again;
  std::set<std::string> codes;
  std::set<std::string> markets;
  std::string names;
  int issues = 0;
  for (std::size_t i = 0; i < data.Industries().size(); ++i) {
    const SampleIndustry& industry = data.Industries()[i];
    EXPECT_EQ(industry.code, IndustryCatalogue()[i].code);
    EXPECT_FALSE(industry.issues.empty()) << industry.code;
    for (std::size_t k = 0; k < industry.issues.size(); ++k) {
      const sample::SampleIssue& issue = industry.issues[k];
      EXPECT_TRUE(codes.insert(issue.code).second) << issue.code;
      markets.insert(issue.market);
      names += issue.name + "\n";
      EXPECT_EQ(issue.name, again.Industries()[i].issues[k].name);
      ++issues;
    }
  }
  EXPECT_EQ(issues, sample::kDefaultIssueCount);
  // Today's codes: a letter in the 4th place, a few in the 2nd.
  const auto lettered = [&codes](std::size_t place) {
    return std::count_if(codes.begin(), codes.end(), [place](const std::string& code) {
      return std::isupper(static_cast<unsigned char>(code[place])) != 0;
    });
  };
  EXPECT_EQ(lettered(3) + lettered(1), issues / 12);
  EXPECT_GT(lettered(1), 0);
  std::size_t labels = 0;
  for (const MarketEntry& market : MarketCatalogue()) {
    for (const Text& label : market.labels) labels += markets.count(SjisToUtf8(label));
  }
  EXPECT_EQ(labels, 16u);
  EXPECT_EQ(markets.count(std::string(sample::kNoMarket)), 1u);
  for (const char* awkward : {"ｱｻｷﾞﾘ", "Blue Harbor", "&amp;", ",", "𠮷", "🌸", "　"}) {
    EXPECT_NE(names.find(awkward), std::string::npos) << awkward;
  }
}

TEST(SampleSiteTest, PagesLookLikeARealSitesAndBadQueriesGetA404) {
  const SampleData data;
  const std::string page = sample::RenderListPage(data, "9050", 2, 20);
  EXPECT_EQ(page.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_GE(page.size(), 30u * 1024u);
  EXPECT_LE(page.size(), 60u * 1024u);
  EXPECT_NE(page.find("<a href=\"/stocks/qi/?ids=9050&p=3\">"), std::string::npos);

  SampleSite site(data, 20);
  httplib::Client client("127.0.0.1", site.Port());
  for (const char* target : {"/stocks/qi/?ids=905&p=1", "/stocks/qi/?ids=9050",
                             "/stocks/qi/?ids=9050&p=0", "/stocks/qi/?ids=9050&p=x",
                             "/stocks/other"}) {
    const httplib::Result result = client.Get(target);
    ASSERT_TRUE(result) << target;
    EXPECT_EQ(result->status, 404) << target;
    EXPECT_FALSE(result->body.empty()) << target;
  }
}

}  // namespace
}  // namespace quillivar
