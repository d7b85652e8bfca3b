// The run's own worst case: 10,000 rows arriving in descending code order,
// through the public run with the real ordered insertion and the real Qt
// event pump, and how soon an abort pressed meanwhile takes effect. Prints
// figures; asserts nothing.
#include <QApplication>
#include <QMetaObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "run/download_run.h"
#include "testkit/temp_dir.h"
#include "text/code_page.h"
#include "ui/qt_event_pump.h"

namespace quillivar {
namespace {

using Clock = std::chrono::steady_clock;

// One industry and no market: every row is collected, none is written.
class OneIndustryNoMarket : public Selection {
 public:
  bool IsChecked(int checkBox) const override {
    return checkBox == IndustryCatalogue().front().checkBox;
  }
};

// What the insertion shows: a status line that only keeps its text.
class StatusLine : public RunObserver {
 public:
  void ShowStatus(const Text& text) override { status_ = text; }
  void IndustryFetched(std::size_t) override {}
  bool MayReplaceSuspectList(const Text&) override { return true; }
  bool MayWriteEmptyList() override { return true; }

 private:
  Text status_;
};

struct Bench {
  QtEventPump pump;
  bool abortRequested = false;
  AbortPoint abortPoint{pump, abortRequested};
  OneIndustryNoMarket selection;
  StatusLine observer;
  testing::TempDir dir;
  std::vector<StockRow> rows;
  IndustryFetch fetch = [this](const Text&) { return rows; };

  RunResult Run() {
    return DownloadRows(selection, ListTarget{dir.File(kStockListFileName), nullptr}, abortPoint,
                        fetch, observer);
  }
};

std::vector<StockRow> DescendingRows(int count) {
  std::vector<StockRow> rows;
  for (int i = 0; i < count; ++i) {
    rows.push_back({std::to_string(9999 - i % 9000), Sjis("東証1部"), Sjis("見本建設"),
                    Sjis("建設業")});
  }
  return rows;
}

double RunSeconds(Bench& bench) {
  const auto start = Clock::now();
  bench.Run();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Presses abort from another thread at a random moment, through the event
// queue as a click would arrive, and measures until the run has stopped.
double AbortLatencyMs(Bench& bench, std::mt19937& random) {
  bench.abortRequested = false;
  std::atomic<long long> pressedAt{0};
  const int delayMs = std::uniform_int_distribution<int>(50, 400)(random);
  std::thread presser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    pressedAt = Clock::now().time_since_epoch().count();
    QMetaObject::invokeMethod(qApp, [&] { bench.abortRequested = true; }, Qt::QueuedConnection);
  });
  // The worst case again and again, until the abort is seen.
  while (bench.Run().end != RunResult::End::Aborted) {
  }
  const double latency = std::chrono::duration<double, std::milli>(
                             Clock::now().time_since_epoch() - Clock::duration(pressedAt.load()))
                             .count();
  presser.join();
  QCoreApplication::processEvents();
  bench.abortRequested = false;
  return latency;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace
}  // namespace quillivar

int main(int argc, char** argv) {
  using namespace quillivar;
  QApplication application(argc, argv);
  Bench bench;
  bench.rows = DescendingRows(10000);

  std::vector<double> seconds;
  for (int i = 0; i < 5; ++i) seconds.push_back(RunSeconds(bench));
  std::printf("worst-case run of 10,000 descending rows: median %.3f s "
              "(min %.3f, max %.3f)   goal <= 1.0 s\n",
              Median(seconds), *std::min_element(seconds.begin(), seconds.end()),
              *std::max_element(seconds.begin(), seconds.end()));

  std::mt19937 random(12345);
  std::vector<double> latencies;
  for (int i = 0; i < 20; ++i) latencies.push_back(AbortLatencyMs(bench, random));
  std::printf("abort pressed during that run takes effect after: median %.2f ms, "
              "max %.2f ms   goal <= 50 ms\n",
              Median(latencies), *std::max_element(latencies.begin(), latencies.end()));
  return 0;
}
