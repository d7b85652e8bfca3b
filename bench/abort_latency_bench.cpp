// How soon 中止 takes effect, measured as a user meets it: the program under
// Xvfb with openbox, the click sent through the X server, the time taken
// until the status line shows "ダウンロード中止". Prints figures only.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "testkit/x11/scenarios.h"

int main(int argc, char** argv) {
  using namespace quillivar::x11;
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const XServer server;
  std::vector<double> all;
  for (const Phase phase : {Phase::SlowPage, Phase::SilentServer, Phase::DrippingBody,
                            Phase::OrderedInsertion}) {
    std::vector<double> latencies;
    for (int round = 0; round < rounds; ++round) {
      const RunOutcome outcome = AbortDuring(server, phase);
      if (outcome.abortLatencyMs < 0) {
        std::printf("abort during %s: not seen (status \"%s\")\n", PhaseName(phase),
                    outcome.lastStatus.c_str());
        return 1;
      }
      latencies.push_back(outcome.abortLatencyMs);
    }
    std::sort(latencies.begin(), latencies.end());
    all.insert(all.end(), latencies.begin(), latencies.end());
    std::printf("abort during %s: median %.1f ms, max %.1f ms over %d clicks   "
                "goal: max <= 100 ms\n",
                PhaseName(phase), latencies[latencies.size() / 2], latencies.back(), rounds);
  }
  std::sort(all.begin(), all.end());
  std::printf("abort over all phases: median %.1f ms   goal <= 50 ms\n", all[all.size() / 2]);
  return 0;
}
