// quillivar-refresh run as a child process against a quote site on a
// loopback port, as a scheduler would start it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <httplib.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sample_site.h"

namespace quillivar::testing {

// A list page as the quote site sends it: UTF-8 with a byte-order mark, one
// table row per issue (code, market, name), and no link to a next page.
inline std::string ListPage(const std::string& code,
                            const std::vector<std::array<std::string, 3>>& rows) {
  std::string page = "\xEF\xBB\xBF<html><body><table>\n";
  for (const auto& [stock, market, name] : rows) {
    page += "<tr><td class=\"center yjM\"><a href=\"/stocks/detail/?code=" + stock + "\">" +
            stock + "</a></td><td class=\"center yjSt\">" + market +
            "</td><td><strong class=\"yjMt\"><a href=\"/stocks/detail/?code=" + stock +
            "\">" + name + "</a></strong></td></tr>\n";
  }
  return page + "</table><a href=\"/stocks/qi/?ids=" + code + "&p=1\">1</a></body></html>\n";
}

class LoopbackSite {
 public:
  using PageOf = std::function<std::string(const std::string& code, int page)>;

  // The sample quote site's own routes.
  explicit LoopbackSite(const sample::SampleData& data) {
    sample::MountSampleSite(server_, data, {});
    Start();
  }
  // Every list page from `pageOf`. The pages of `heldCode` are held back
  // until the site goes, as a site that stops answering.
  explicit LoopbackSite(PageOf pageOf, std::string heldCode = "")
      : pageOf_(std::move(pageOf)), heldCode_(std::move(heldCode)) {
    server_.Get("/stocks/qi/", [this](const httplib::Request& request, httplib::Response& response) {
      const std::string code = request.get_param_value("ids");
      ++requests;
      if (code == heldCode_) {
        std::unique_lock lock(mutex_);
        released_.wait_for(lock, std::chrono::seconds(30), [this] { return closing_; });
      }
      response.set_content(pageOf_(code, std::stoi(request.get_param_value("p"))),
                           "text/html; charset=utf-8");
    });
    Start();
  }
  ~LoopbackSite() {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
    }
    released_.notify_all();
    server_.stop();
    thread_.join();
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }

  std::atomic<int> requests{0};

 private:
  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  httplib::Server server_;
  PageOf pageOf_;
  std::string heldCode_;
  std::mutex mutex_;
  std::condition_variable released_;
  bool closing_ = false;
  std::thread thread_;
  int port_ = 0;
};

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
