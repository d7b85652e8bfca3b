// The run's own worst case: 10,000 rows arriving in descending code order,
// through the real ordered insertion and the real Qt event pump, and how soon
// an abort pressed meanwhile takes effect. Prints figures; asserts nothing.
#include <QApplication>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "run/download_run.h"
#include "text/code_page.h"
#include "ui/qt_event_pump.h"

namespace quillivar {
namespace {

using Clock = std::chrono::steady_clock;

class NoFile : public StockListFile {
 public:
  bool Open(const std::string&, AbortPoint&) override { return false; }
  void WriteLine(std::string_view) override {}
  void Close() override {}
  void Discard() noexcept override {}
};

// What the insertion shows: a status line that only keeps its text.
class StatusLine : public RunView {
 public:
  bool AskConfirmation(const Text&) override { return true; }
  void ShowInformation(const Text&) override {}
  void ShowErrorBox(const Text&) override {}
  void SetStatusText(const Text& text) override { status_ = text; }
  void SetBusy(bool) override {}
  bool AskToReplaceSuspectList(const Text&) override { return false; }
  void SetStatusTimer(bool) override {}

 private:
  Text status_;
};

class EverythingSelected : public Selection {
 public:
  bool IsChecked(int) const override { return true; }
};

// The run as the insertion sees it: the real pump, nothing else real.
struct Bench {
  QtEventPump pump;
  StatusLine view;
  EverythingSelected selection;
  RunState state;
  NoFile file;
  DownloadRun run{view, pump, selection, state, "",
                  [](const Text&, AbortPoint&) { return Text(); }, file};
};

std::vector<Text> DescendingRows(int count) {
  const Text tail = Sjis(",東証1部,見本建設,建設業");
  std::vector<Text> rows;
  for (int i = 0; i < count; ++i) {
    rows.push_back(std::to_string(9999 - i % 9000) + tail);
  }
  return rows;
}

double InsertAll(Bench& bench, const std::vector<Text>& rows) {
  DownloadRun& run = bench.run;
  run.ClearStockRows();
  const auto start = Clock::now();
  for (const Text& row : rows) {
    if (!run.InsertStockRow(row)) break;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Presses abort from another thread at a random moment, through the event
// queue as a click would arrive, and measures until the insertion stops.
double AbortLatencyMs(Bench& bench, const std::vector<Text>& rows, std::mt19937& random) {
  DownloadRun& run = bench.run;
  RunState& fields = bench.state;
  run.ClearStockRows();
  fields.AbortRequested = false;
  std::atomic<long long> pressedAt{0};
  const int delayMs = std::uniform_int_distribution<int>(50, 400)(random);
  std::thread presser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    pressedAt = Clock::now().time_since_epoch().count();
    QMetaObject::invokeMethod(qApp, [&] { fields.AbortRequested = true; }, Qt::QueuedConnection);
  });
  // The worst case again and again, until the abort is seen.
  bool aborted = false;
  while (!aborted) {
    run.ClearStockRows();
    for (const Text& row : rows) {
      if (!run.InsertStockRow(row)) {
        aborted = true;
        break;
      }
    }
  }
  const double latency = std::chrono::duration<double, std::milli>(
                             Clock::now().time_since_epoch() - Clock::duration(pressedAt.load()))
                             .count();
  presser.join();
  QCoreApplication::processEvents();
  fields.AbortRequested = false;
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
  const std::vector<Text> rows = DescendingRows(10000);

  std::vector<double> seconds;
  for (int i = 0; i < 5; ++i) seconds.push_back(InsertAll(bench, rows));
  std::printf("worst-case insertion of 10,000 descending rows: median %.3f s "
              "(min %.3f, max %.3f)   goal <= 1.0 s\n",
              Median(seconds), *std::min_element(seconds.begin(), seconds.end()),
              *std::max_element(seconds.begin(), seconds.end()));

  std::mt19937 random(12345);
  std::vector<double> latencies;
  for (int i = 0; i < 20; ++i) latencies.push_back(AbortLatencyMs(bench, rows, random));
  std::printf("abort pressed during that insertion takes effect after: median %.2f ms, "
              "max %.2f ms   goal <= 50 ms\n",
              Median(latencies), *std::max_element(latencies.begin(), latencies.end()));
  return 0;
}
