#include "refresh/run_log.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

#include "refresh/command_line.h"

namespace quillivar {
namespace {

// ISO 8601 with the offset written "+09:00".
std::string LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  ::tzset();
  std::tm local{};
  char text[64] = "";
  if (::localtime_r(&now, &local) == nullptr ||
      std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local) == 0) {
    return "?";
  }
  // Built by appending: g++ 12 at -O3 takes an insert for an overlap.
  const std::string_view written(text);
  std::string time(written.substr(0, written.size() - 2));
  time.append(":").append(written.substr(written.size() - 2));
  return time;
}

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = "";
  if (::gethostname(name, sizeof name) != 0) return "?";
  name[HOST_NAME_MAX] = '\0';
  return name;
}

std::string_view EndWord(int status) {
  if (status == 0) return "完了 / done";
  if (status > 128) return "中止 / aborted";
  return "失敗 / failed";
}

}  // namespace

RunLog::RunLog(TerminalOutput& output)
    : output_(output), start_(std::chrono::steady_clock::now()) {}

void RunLog::Started(const std::string& dir, const std::string& site) {
  std::string line("quillivar-refresh ");
  line.append(ProgramVersion()).append(": 開始 / start ").append(LocalTimeNow());
  line.append(" host=").append(HostName());
  line.append(" pid=").append(std::to_string(::getpid()));
  // Absolute, so that a log gathered from many folders still tells them apart.
  std::error_code ignored;
  const std::filesystem::path folder = std::filesystem::absolute(dir, ignored);
  line.append(" dir=").append(folder.empty() ? dir : folder.string()).append(" site=").append(site);
  output_.Line(line);
}

void RunLog::Ended(int status, std::string_view detail) {
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start_;
  char head[160];
  std::snprintf(head, sizeof head, "quillivar-refresh: %.*s in %.2f s, status %d: ",
                static_cast<int>(EndWord(status).size()), EndWord(status).data(),
                took.count(), status);
  output_.Line(std::string(head).append(detail));
}

}  // namespace quillivar
