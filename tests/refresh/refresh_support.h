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
#include <string_view>
#include <thread>
#include <vector>

#include "sample_data.h"
#include "testkit/list_page.h"
#include "testkit/loopback_site.h"

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

struct CommandResult {
  int status = -1;       // the exit status; -1 when it did not exit
  int signal = 0;        // the signal that ended it, if one did
  std::string output;    // standard output and error, as written
  double secondsAfterSignal = 0;
};

// Where the program's standard error goes: with standard output into the
// result, nowhere (closed), or into a pipe that nobody reads any more.
enum class StandardError { Captured, Closed, Broken };

// The program running with `arguments`, as a scheduler starts it.
class CommandChild {
 public:
  CommandChild(const std::string& program, const std::vector<std::string>& arguments,
               StandardError standardError = StandardError::Captured) {
    // Built before the fork: the child of a threaded process must not allocate.
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int output[2];
    int broken[2];
    if (::pipe2(output, O_CLOEXEC) != 0 || ::pipe2(broken, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(output[1], 1);
      if (standardError == StandardError::Captured) ::dup2(output[1], 2);
      if (standardError == StandardError::Closed) ::close(2);
      if (standardError == StandardError::Broken) ::dup2(broken[1], 2);
      ::execv(program.c_str(), argv.data());
      ::_exit(127);
    }
    for (const int fd : {output[1], broken[0], broken[1]}) ::close(fd);
    outputFd_ = output[0];
  }
  CommandChild(const CommandChild&) = delete;
  CommandChild& operator=(const CommandChild&) = delete;

  pid_t Pid() const { return pid_; }
  void Signal(int signal) {
    signalled_ = std::chrono::steady_clock::now();
    ::kill(pid_, signal);
  }

  // Reads the output to its end and waits for the program to end.
  CommandResult Finish() {
    CommandResult result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(outputFd_, buffer, sizeof buffer)) > 0;) {
      result.output.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(outputFd_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    result.secondsAfterSignal =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled_).count();
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
  }

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
  std::chrono::steady_clock::time_point signalled_ = std::chrono::steady_clock::now();
};

// Runs the program with `arguments`. With a signal, sends it once
// `sendWhen` holds, and times how long the program takes to end after it.
inline CommandResult RunCommand(const std::string& program,
                                const std::vector<std::string>& arguments, int signal = 0,
                                const std::function<bool()>& sendWhen = {}) {
  CommandChild child(program, arguments);
  if (signal != 0) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!sendWhen() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    child.Signal(signal);
  }
  return child.Finish();
}

// The first and the last line of an output, without their line ends.
inline std::string FirstLine(const std::string& output) {
  return output.substr(0, output.find('\n'));
}
inline std::string LastLine(const std::string& output) {
  std::string_view text(output);
  if (text.ends_with('\n')) text.remove_suffix(1);
  return std::string(text.substr(text.rfind('\n') + 1));  // npos + 1: from the start
}

}  // namespace quillivar::testing
