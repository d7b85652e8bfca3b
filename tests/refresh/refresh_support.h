// quillivar-refresh run as a child process against a quote site on a
// loopback port, as a scheduler would start it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sample_data.h"
#include "support/list_page.h"
#include "support/loopback_site.h"

namespace quillivar::testing {

using PageOf = std::function<std::string(const std::string& code, int page)>;

// The sample quote site's list pages, 20 issues a page as it serves them.
inline LoopbackSite::Script SamplePages(const sample::SampleData& data) {
  return [&data](const SiteRequest& request) {
    return Reply{.body = sample::RenderListPage(data, request.Param("ids"),
                                                std::stoi(request.Param("p")), 20)};
  };
}

// Every list page from `pageOf`. The pages of `heldCode` never come, as
// from a site that stops answering.
inline LoopbackSite::Script Pages(PageOf pageOf, std::string heldCode = "") {
  return [pageOf = std::move(pageOf), heldCode = std::move(heldCode)](const SiteRequest& request) {
    const std::string code = request.Param("ids");
    if (code == heldCode) return Reply::Silent();
    return Reply{.body = pageOf(code, std::stoi(request.Param("p")))};
  };
}

// 43 lines "True" or "False", CR LF, line k (1-based) by `selected`.
inline std::string SettingsFile(const std::function<bool(int line)>& selected) {
  std::string file;
  for (int line = 1; line <= 43; ++line) file += selected(line) ? "True\r\n" : "False\r\n";
  return file;
}

struct CommandResult {
  int status = -1;       // the exit status; -1 when it did not exit
  std::string output;    // standard output and error, as written
  double secondsAfterSignal = 0;
};

// Runs the program with `arguments`. With a signal, sends it once
// `sendWhen` holds, and times how long the program takes to exit after it.
inline CommandResult RunCommand(const std::string& program,
                                const std::vector<std::string>& arguments, int signal = 0,
                                const std::function<bool()>& sendWhen = {}) {
  // Built before the fork: the child of a threaded process must not allocate.
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeFds[1], 1);
    ::dup2(pipeFds[1], 2);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  CommandResult result;
  auto signalled = std::chrono::steady_clock::now();
  if (signal != 0) {
    const auto deadline = signalled + std::chrono::seconds(10);
    while (!sendWhen() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    signalled = std::chrono::steady_clock::now();
    ::kill(child, signal);
  }
  char buffer[4096];
  for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
    result.output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.secondsAfterSignal =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count();
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

}  // namespace quillivar::testing
