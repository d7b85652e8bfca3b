// Runs a list page through the steps of one page fetch after its body has
// arrived: normalisation in 1024-byte chunks, conversion, next-page test, row
// scan. Prints the median throughput over the page's raw bytes.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "quote/page_parser.h"
#include "quote/utf8tosjis.h"

namespace {

using quillivar::Text;

class QuietUi : public quillivar::EventPump {
 public:
  void PumpEvents() override {}
};

struct Sink {
  std::size_t bytes = 0;
};

void RunPage(const std::string& body, QuietUi& ui, Sink& sink) {
  constexpr std::size_t kChunk = 1024;
  Text page;
  for (std::size_t at = 0; at < body.size(); at += kChunk) {
    quillivar::AppendNormalised(page, std::string_view(body).substr(at, kChunk));
  }
  page = quillivar::Utf8ToSjisDropBom(std::move(page));
  const bool hasNext = quillivar::HasNextPageLink(page, "0050", 1);
  quillivar::StockRow fields;
  std::vector<quillivar::StockRow> rows;
  const bool abortRequested = false;
  quillivar::AbortPoint abortPoint(ui, abortRequested);
  quillivar::ScanPageRows(page, "0050", fields, rows, abortPoint);
  quillivar::FinishRows(rows);
  sink.bytes += rows.size() + (hasNext ? 1 : 0);
}

double MegabytesPerSecond(const std::string& body, int pages, QuietUi& ui,
                          Sink& sink) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < pages; ++i) RunPage(body, ui, sink);
  const std::chrono::duration<double> elapsed =
      std::chrono::steady_clock::now() - start;
  return static_cast<double>(body.size()) * pages / elapsed.count() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : QUILLIVAR_BENCH_PAGE;
  std::ifstream in(path, std::ios::binary);
  const std::string body{std::istreambuf_iterator<char>(in),
                         std::istreambuf_iterator<char>()};
  if (!in.good() && !in.eof()) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 1;
  }
  if (body.empty()) {
    std::fprintf(stderr, "empty or missing page: %s\n", path);
    return 1;
  }

  QuietUi ui;
  Sink sink;
  constexpr int kRuns = 9;
  const int pages = std::max(1, static_cast<int>(200'000'000 / body.size()));
  MegabytesPerSecond(body, pages / 10 + 1, ui, sink);  // warm-up, tables built
  std::vector<double> figures;
  for (int run = 0; run < kRuns; ++run) {
    figures.push_back(MegabytesPerSecond(body, pages, ui, sink));
  }
  std::sort(figures.begin(), figures.end());
  std::printf("page: %s (%zu bytes), %d pages per run, %d runs\n", path,
              body.size(), pages, kRuns);
  std::printf("normalise + convert + parse: median %.0f MB/s (min %.0f, max %.0f); goal >= 200 MB/s\n",
              figures[kRuns / 2], figures.front(), figures.back());
  return sink.bytes > 0 ? 0 : 1;
}
