// The first and last lines of a run, so that runs appended to one log can be
// told apart a month later: when, where, and how each ended.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "refresh/terminal_output.h"

namespace quillivar {

class RunLog {
 public:
  explicit RunLog(TerminalOutput& output);  // the run's clock starts

  // "quillivar-refresh 0.1.0: 開始 / start 2026-12-08T07:30:00+09:00
  // host=HOST pid=PID dir=DIR site=SITE"
  void Started(const std::string& dir, const std::string& site);
  // "quillivar-refresh: 完了 / done in 4.35 s, status 0: DETAIL"; "中止 /
  // aborted" after a stop signal (128 + its number), otherwise "失敗 / failed".
  void Ended(int status, std::string_view detail);

 private:
  TerminalOutput& output_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace quillivar
